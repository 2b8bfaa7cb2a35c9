#!/bin/sh
# Cross-builds the Windows programs, the window velmora.exe and the command line
# velmora-cli.exe (Release, x86-64, statically linked), and packs them with
# the sample drawing and the Japanese read-me into dist/velmora-VERSION-win64.zip.
# Usage: tools/build-windows.sh [BUILD_DIR]   (default build-windows)
# With VELMORA_WINDOWS_TESTS=1 it also builds the tests (run them with ctest: they go through
# Wine).
set -eu
cd "$(dirname "$0")/.."
dir=${1:-build-windows}

packages="cmake make g++-mingw-w64-x86-64-posix zip"
[ "${VELMORA_WINDOWS_TESTS:-0}" = 1 ] && packages="$packages wine64 xvfb xauth"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
    $sudo apt-get update
    # shellcheck disable=SC2086
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
fi

tests=OFF
[ "${VELMORA_WINDOWS_TESTS:-0}" = 1 ] && tests=ON
launcher=""
command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DVELMORA_WERROR=ON -DVELMORA_GUI=OFF -DVELMORA_TESTS=$tests $launcher
cmake --build "$dir" -j2

version=$(sed -n 's/^project(Velmora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
stage="$dir/stage/velmora-$version"
rm -rf "$dir/stage"
mkdir -p "$stage" dist
for exe in velmora.exe velmora-cli.exe; do
    [ -f "$dir/bin/$exe" ] && cp "$dir/bin/$exe" "$stage/"
done
x86_64-w64-mingw32-strip "$stage"/*.exe
cp samples/sample.jww "$stage/"
# Windows editors expect CR LF.
sed 's/$/\r/' tools/windows/readme-ja.txt >"$stage/readme-ja.txt"
zip="$PWD/dist/velmora-$version-win64.zip"
rm -f "$zip"
(cd "$dir/stage" && zip -q -r "$zip" "velmora-$version")
echo "dist/${zip##*/}: $(wc -c <"$zip") bytes"
