#!/usr/bin/env bash
# Sets everything up and converts the bundled example projects into out/examples.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh
mkdir -p out/examples
./build/src/cli/kerfwright-cli convert -o out/examples examples/*.lac
echo
echo "The SVG drawings and settings sidecars are in $(pwd)/out/examples"
