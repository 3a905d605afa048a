#!/usr/bin/env bash
# Installs what the converter and the desktop application need, builds the
# two of them into build/ (the tests are left for scripts/test.sh), and
# converts the bundled example projects into out/examples.
set -euo pipefail
cd "$(dirname "$0")/.."
export CMAKE_GENERATOR="${CMAKE_GENERATOR:-Ninja}"  # as scripts/build.sh says

bash scripts/install-deps.sh app
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DCMAKE_UNITY_BUILD=ON -DKERFWRIGHT_BUILD_TESTS=OFF -DKERFWRIGHT_BUILD_APP=ON >/dev/null
cmake --build build -j"$(nproc)" --target kerfwright-cli kerfwright
mkdir -p out/examples
./build/src/cli/kerfwright-cli convert -o out/examples examples/*.lac
echo
echo "The SVG drawings and settings sidecars are in $(pwd)/out/examples"
