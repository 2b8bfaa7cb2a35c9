#!/bin/sh
# Takes the picture of the native window for the read-me (docs/window-windows.png): the test
# program shows a fresh window under Wine on a virtual display and saves it.
# Usage: tools/windows-screenshot.sh [BUILD_DIR] [PNG]   (after
#        VELMORA_WINDOWS_TESTS=1 tools/build-windows.sh BUILD_DIR)
# Wine has no "ＭＳ ゴシック": the build's own Wine prefix maps it to IPAGothic
# (fonts-ipafont-gothic), so the Japanese captions show as on Windows.
set -eu
cd "$(dirname "$0")/.."
dir=${1:-build-windows}
png=${2:-docs/window-windows.png}
prefix="$PWD/$dir/wineprefix"

# The window's font, Wine's own (the caption buttons) and the virtual display.
missing=""
for p in xvfb xauth fonts-ipafont-gothic fonts-wine; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
    $sudo apt-get update
    # shellcheck disable=SC2086
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
fi
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
export WINEPREFIX="$prefix" WINEDEBUG=-all

reg="$dir/font-replacements.reg"
printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
    '"ＭＳ ゴシック"="IPAGothic"' '"MS Gothic"="IPAGothic"' '"ＭＳ Ｐゴシック"="IPAPGothic"' '' |
    iconv -f UTF-8 -t UTF-16 >"$reg"
# A desktop of its own, where Wine draws the window frame as Windows would. Wine keeps the display of the first program of a prefix: everything runs on one display.
xvfb-run -a -s "-screen 0 800x600x24" sh -c '
    "$1" regedit /S "Z:$(echo "$2" | tr / "\\\\")" && "$3" -w &&
    "$1" explorer /desktop=velmora,520x540 "$4" "--screenshot=Z:$5"' sh "$wine" "$PWD/$reg" "$wineserver" "$dir/bin/win_tests.exe" "$PWD/$png"
echo "$png"
