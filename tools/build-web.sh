#!/bin/sh
# Builds the page that converts in the browser into web/dist: the converter as WebAssembly
# (Debian's emscripten), the page and its scripts, and three.js from the npm package that
# web/package.json pins. Installs emscripten and node/npm when missing.
# Usage: tools/build-web.sh [BUILD_DIR]   (default build-web)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-web}

missing=""
command -v emcmake >/dev/null 2>&1 || missing="$missing emscripten"
command -v npm >/dev/null 2>&1 || missing="$missing npm"
command -v cmake >/dev/null 2>&1 || missing="$missing cmake make"
if [ -n "$missing" ]; then
    if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
    $sudo apt-get update
    # shellcheck disable=SC2086
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
fi

# Emscripten's JavaScript optimizer needs acorn, which Debian keeps where only its own node looks.
export NODE_PATH="${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs"

emcmake cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_GUI=OFF
cmake --build "$build" -j2 --target velmora-web

dist=web/dist
rm -rf "$dist"
mkdir -p "$dist"
cp web/src/* "$dist"/
cp "$build"/bin/velmora.mjs "$build"/bin/velmora.wasm "$dist"/
# The drawing the worker converts once while the page waits for files.
cp samples/sample.jww "$dist"/warm-up.jww
(cd web && npm ci --no-audit --no-fund --loglevel=error)
cp web/node_modules/three/build/three.module.js web/node_modules/three/build/three.core.js "$dist"/
jsm=web/node_modules/three/examples/jsm
mkdir -p "$dist"/addons/controls "$dist"/addons/loaders "$dist"/addons/utils
cp $jsm/controls/OrbitControls.js "$dist"/addons/controls/
cp $jsm/loaders/GLTFLoader.js "$dist"/addons/loaders/
cp $jsm/utils/BufferGeometryUtils.js $jsm/utils/SkeletonUtils.js "$dist"/addons/utils/
echo "web/dist: $(du -sk "$dist" | cut -f1) KiB"
