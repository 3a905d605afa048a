#!/usr/bin/env bash
# Measures the converter: builds the web build (build/web/, which it times
# under Node) and the benchmark program (Release) into
# build-bench/, makes the benchmark projects once into
# build-bench/bench-projects/ (delete that folder after changing the
# generator), and runs the benchmark. Further arguments go to the benchmark
# program, e.g. --benchmark_filter=emitting. Not part of CI: the figures
# depend on the machine.
set -euo pipefail
cd "$(dirname "$0")/.."
export CMAKE_GENERATOR="${CMAKE_GENERATOR:-Ninja}"  # as scripts/build.sh says

bash scripts/install-deps.sh bench
bash scripts/build-web.sh >/dev/null
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKERFWRIGHT_BENCHMARKS=ON \
  -DKERFWRIGHT_BUILD_TESTS=OFF -DKERFWRIGHT_BUILD_APP=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target kerfwright-bench kerfwright-bench-projects
projects=build-bench/bench-projects
if [ ! -f "$projects/large.lac" ]; then
  ./build-bench/bench/kerfwright-bench-projects "$projects"
fi
./build-bench/bench/kerfwright-bench "$projects" "$@"

# The page in headless Chromium: the large project converts in its worker
# while the page keeps drawing, to the tool's files; prints how long it took.
KERFWRIGHT_PAGE="$(pwd)/build/web/kerfwright.html" KERFWRIGHT_CHROMIUM="$(command -v chromium)" \
  KERFWRIGHT_CLI="$(pwd)/build-bench/src/cli/kerfwright-cli" KERFWRIGHT_EXAMPLES="$(pwd)/examples" \
  KERFWRIGHT_PAGE_LARGE_PROJECT="$(pwd)/$projects/large.lac" \
  node --test-name-pattern='large benchmark project' tests/web/page_test.mjs |
  grep -E '^(not )?ok [0-9]+ - the large benchmark project|^# (shown|checked)'
