#!/bin/sh
# Installs the Debian packages a task needs: "build" (the converter), "test" (every test),
# "ci" (tests, sanitizers and fuzzing). Uses sudo unless already root; skips apt when all
# packages are present.
set -eu

build="cmake make g++"
test="$build libgtest-dev libgmock-dev libbenchmark-dev libxml2-utils assimp-utils qt6-base-dev xvfb fonts-ipafont-gothic nodejs"
ci="$test clang libclang-rt-14-dev chromium"

case "${1:-test}" in
    build) packages=$build ;;
    test) packages=$test ;;
    ci) packages=$ci ;;
    *) echo "usage: $0 [build|test|ci]" >&2; exit 2 ;;
esac

# Debian's npm, unless the installed nodejs brings its own (it would conflict with it).
case " $packages " in
    *" nodejs "*) command -v npm >/dev/null 2>&1 || packages="$packages npm" ;;
esac

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
$sudo apt-get update
# shellcheck disable=SC2086
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
