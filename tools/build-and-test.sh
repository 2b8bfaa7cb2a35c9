#!/bin/sh
# Builds everything with warnings as errors and runs every test.
# Usage: tools/build-and-test.sh [BUILD_DIR [extra cmake options...]]
set -eu
cd "$(dirname "$0")/.."
dir=${1:-build-test}
[ $# -gt 0 ] && shift
tools/install-deps.sh test
cmake -S . -B "$dir" -DVELMORA_WERROR=ON "$@"
tools/install-node-tools.sh "$dir"
cmake --build "$dir" -j2
ctest --test-dir "$dir" --output-on-failure -j2
