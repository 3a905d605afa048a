#!/usr/bin/env bash
# Configures build-instrumented/: everything built by clang with
# AddressSanitizer and UndefinedBehaviorSanitizer, and with libFuzzer's
# coverage instrumentation, so that one build serves both the sanitized test
# suite (scripts/sanitize.sh) and the fuzz targets (scripts/fuzz-smoke.sh).
# Line tables are all a report needs of the debugging information, and much
# quicker to build than all of it.
set -euo pipefail
cd "$(dirname "$0")/.."
export CMAKE_GENERATOR="${CMAKE_GENERATOR:-Ninja}"  # as scripts/build.sh says

bash scripts/install-deps.sh app tests
CC=clang-14 CXX=clang++-14 cmake -S . -B build-instrumented -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_UNITY_BUILD=ON \
  -DKERFWRIGHT_SANITIZE=ON -DKERFWRIGHT_FUZZ=ON "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" >/dev/null
