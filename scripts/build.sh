#!/usr/bin/env bash
# Installs what is missing, then configures and builds everything into build/,
# the tests and the WebAssembly build (into build/web/) among it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh app web tests
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKERFWRIGHT_BUILD_TESTS=ON -DKERFWRIGHT_BUILD_APP=ON >/dev/null
cmake --build build -j"$(nproc)"
bash scripts/build-page.sh >/dev/null
