#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (sanitizers included) into
# build-instrumented/ (see configure-instrumented.sh; after sanitize.sh they
# are built already) and runs each for a fixed number of inputs, starting
# from its stored corpus and regression inputs, as many targets at a time as
# there are cores. A crash, a sanitizer report or an ill-formed SVG fails the
# run; the input that did it is left in build-instrumented/findings/ for
# fuzz/regressions/<target>/.
#   FUZZ_RUNS=N  inputs per target (default 200000, about two minutes in all)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/configure-instrumented.sh
targets=(archive json path_parser transform pipeline)
runs="${FUZZ_RUNS:-200000}"

cmake --build build-instrumented -j"$(nproc)" --target "${targets[@]/%/_fuzzer}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p build-instrumented/findings build-instrumented/fuzz-logs

# One target's run; its output goes to its log, which is shown when it ends.
fuzz() {
  local target=$1
  # New inputs go to a scratch folder, so the stored corpus only changes on purpose.
  local scratch="build-instrumented/scratch/$target"
  mkdir -p "$scratch" "fuzz/regressions/$target"
  "build-instrumented/fuzz/${target}_fuzzer" -runs="$runs" -seed=1 -max_len=65536 -timeout=60 -rss_limit_mb=3072 \
    -artifact_prefix="build-instrumented/findings/$target-" -print_final_stats=1 \
    "$scratch" "fuzz/corpus/$target" "fuzz/regressions/$target" >"build-instrumented/fuzz-logs/$target.log" 2>&1
}

declare -A running=()
failed=()
# Waits for one target to end, shows its log and notes whether it failed.
finish_one() {
  local pid status=0
  wait -n -p pid "${!running[@]}" || status=$?
  local target=${running[$pid]}
  unset "running[$pid]"
  echo "== $target: $runs inputs"
  cat "build-instrumented/fuzz-logs/$target.log"
  [ "$status" -eq 0 ] || failed+=("$target")
}
for target in "${targets[@]}"; do
  while [ ${#running[@]} -ge "$(nproc)" ]; do finish_one; done
  fuzz "$target" &
  running[$!]=$target
done
while [ ${#running[@]} -gt 0 ]; do finish_one; done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing failed for: ${failed[*]} (inputs in build-instrumented/findings/)" >&2
  exit 1
fi
