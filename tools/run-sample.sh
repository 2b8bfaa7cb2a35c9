#!/bin/sh
# Builds the command-line converter and converts the bundled sample drawing into ./out.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh build
cmake -S . -B build -DVELMORA_TESTS=OFF -DVELMORA_GUI=OFF
cmake --build build --target velmora-cli -j2
mkdir -p out
exec build/bin/velmora-cli -o out samples/sample.jww
