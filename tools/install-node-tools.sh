#!/bin/sh
# Installs the glTF validator and the three.js loader that the output tests run under Node,
# at the versions tests/node pins, into BUILD_DIR/node. Without node or npm it does nothing,
# and the tests that need them skip.
# Usage: tools/install-node-tools.sh BUILD_DIR
set -eu
cd "$(dirname "$0")/.."
dir=${1:?usage: $0 BUILD_DIR}/node
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    echo "node or npm absent: the glTF checks will skip" >&2
    exit 0
fi
mkdir -p "$dir"
cp tests/node/package.json tests/node/package-lock.json tests/node/check-glb.mjs "$dir"/
(cd "$dir" && npm ci --no-audit --no-fund --loglevel=error) ||
    echo "npm could not install the node tools: the glTF checks will skip" >&2
