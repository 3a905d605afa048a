#!/usr/bin/env bash
# Builds the release configuration and writes the Debian package,
# build/kerfwright_VERSION_amd64.deb.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh packaging
bash scripts/build.sh
(cd build && cpack -G DEB >/dev/null)
ls build/kerfwright_*_amd64.deb
