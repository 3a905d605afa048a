#!/usr/bin/env bash
# Installs what is missing, builds the web build (scripts/build-web.sh) and
# prints where its page is: one file, kerfwright.html, to open in a browser
# straight from disk or to put on any static web server.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build-web.sh >/dev/null
echo "$(pwd)/build/web/kerfwright.html"
