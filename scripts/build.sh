#!/usr/bin/env bash
# Installs what is missing, then configures and builds everything into build/,
# the tests and the WebAssembly build (into build/web/) among it.
set -euo pipefail
cd "$(dirname "$0")/.."
# Ninja keeps both cores busy across targets, where make builds the targets
# it is given one after the other. A build folder keeps the generator it was
# first configured with.
export CMAKE_GENERATOR="${CMAKE_GENERATOR:-Ninja}"

bash scripts/install-deps.sh app web tests
# The scripts build each target's sources as a few large units (CMake's unity
# build), which halves a build from scratch; for quicker rebuilds of one file
# while editing, configure a build folder of your own without it.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DCMAKE_UNITY_BUILD=ON -DKERFWRIGHT_BUILD_TESTS=ON -DKERFWRIGHT_BUILD_APP=ON >/dev/null
cmake --build build -j"$(nproc)"
bash scripts/build-page.sh >/dev/null
