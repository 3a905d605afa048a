#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (sanitizers included) into
# build-instrumented/ (see configure-instrumented.sh; after sanitize.sh they
# are built already) and runs each for a fixed number of inputs, starting
# from its stored corpus and regression inputs. A crash, a sanitizer report
# or an ill-formed SVG fails the run; the input that did it is left in
# build-instrumented/findings/ for fuzz/regressions/<target>/.
#   FUZZ_RUNS=N  inputs per target (default 200000, about two minutes in all)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/configure-instrumented.sh
targets=(archive json path_parser transform pipeline)
runs="${FUZZ_RUNS:-200000}"

cmake --build build-instrumented -j"$(nproc)" --target "${targets[@]/%/_fuzzer}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p build-instrumented/findings
failed=()
for target in "${targets[@]}"; do
  # New inputs go to a scratch folder, so the stored corpus only changes on purpose.
  scratch="build-instrumented/scratch/$target"
  mkdir -p "$scratch" "fuzz/regressions/$target"
  echo "== $target: $runs inputs"
  "build-instrumented/fuzz/${target}_fuzzer" -runs="$runs" -seed=1 -max_len=65536 -timeout=60 -rss_limit_mb=3072 \
    -artifact_prefix="build-instrumented/findings/$target-" -print_final_stats=1 \
    "$scratch" "fuzz/corpus/$target" "fuzz/regressions/$target" || failed+=("$target")
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing failed for: ${failed[*]} (inputs in build-instrumented/findings/)" >&2
  exit 1
fi
