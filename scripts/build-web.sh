#!/usr/bin/env bash
# Installs what is missing, builds the WebAssembly libraries once, then the
# web build into build/web/, and prints where its program is.
set -euo pipefail
cd "$(dirname "$0")/.."
export CMAKE_GENERATOR="${CMAKE_GENERATOR:-Ninja}"  # as scripts/build.sh says

bash scripts/install-deps.sh app web
bash scripts/build-web-deps.sh build/web-deps
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B build/web -DCMAKE_BUILD_TYPE=Release -DCMAKE_UNITY_BUILD=ON -DKERFWRIGHT_WEB_DEPS="$(pwd)/build/web-deps" >/dev/null
cmake --build build/web -j"$(nproc)" >&2
echo "$(pwd)/build/web/kerfwright-cli.mjs"
