#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (sanitizers included) into
# build-fuzz/ and runs each for a fixed number of inputs, starting from its
# stored corpus and regression inputs. A crash, a sanitizer report or an
# ill-formed SVG fails the run; the input that did it is left in
# build-fuzz/findings/ for fuzz/regressions/<target>/.
#   FUZZ_RUNS=N  inputs per target (default 200000, about two minutes in all)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh app tests
targets=(archive json path_parser transform pipeline)
runs="${FUZZ_RUNS:-200000}"

CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_UNITY_BUILD=ON \
  -DKERFWRIGHT_FUZZ=ON -DKERFWRIGHT_BUILD_APP=OFF "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/%/_fuzzer}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p build-fuzz/findings
failed=()
for target in "${targets[@]}"; do
  # New inputs go to a scratch folder, so the stored corpus only changes on purpose.
  scratch="build-fuzz/scratch/$target"
  mkdir -p "$scratch" "fuzz/regressions/$target"
  echo "== $target: $runs inputs"
  "build-fuzz/fuzz/${target}_fuzzer" -runs="$runs" -seed=1 -max_len=65536 -timeout=60 -rss_limit_mb=3072 \
    -artifact_prefix="build-fuzz/findings/$target-" -print_final_stats=1 \
    "$scratch" "fuzz/corpus/$target" "fuzz/regressions/$target" || failed+=("$target")
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing failed for: ${failed[*]} (inputs in build-fuzz/findings/)" >&2
  exit 1
fi
