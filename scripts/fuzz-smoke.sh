#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (sanitizers included) into
# build-instrumented/ (see configure-instrumented.sh; after sanitize.sh they
# are built already) and runs each for a fixed number of inputs, starting
# from its stored corpus and regression inputs. Each target's inputs are
# shared among as many runs as there are cores, each run from a seed of its
# own, and the runs go on side by side, one per core. A crash, a sanitizer
# report or an ill-formed SVG fails the run; the input that did it is left in
# build-instrumented/findings/ for fuzz/regressions/<target>/.
#   FUZZ_RUNS=N  inputs per target (default 200000, about a minute and a half in all)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/configure-instrumented.sh
# The slowest first, so that the others fill the cores beside it.
targets=(archive pipeline path_parser json transform)
runs="${FUZZ_RUNS:-200000}"
cores="$(nproc)"

cmake --build build-instrumented -j"$cores" --target "${targets[@]/%/_fuzzer}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
logs=build-instrumented/fuzz-logs
mkdir -p build-instrumented/findings "$logs"

# One run of a target from a seed; what it prints goes to its log.
fuzz() {
  local target=$1 seed=$2 inputs=$3
  # New inputs go to a scratch folder, so the stored corpus only changes on purpose.
  local scratch="build-instrumented/scratch/$target"
  mkdir -p "$scratch" "fuzz/regressions/$target"
  "build-instrumented/fuzz/${target}_fuzzer" -runs="$inputs" -seed="$seed" -max_len=65536 -timeout=60 \
    -rss_limit_mb=3072 -artifact_prefix="build-instrumented/findings/$target-" -print_final_stats=1 \
    "$scratch" "fuzz/corpus/$target" "fuzz/regressions/$target" >"$logs/$target-$seed.log" 2>&1
}

declare -A running=()
failed=()
# Waits for one run to end, shows its log and notes whether it failed.
finish_one() {
  local pid status=0
  wait -n -p pid "${!running[@]}" || status=$?
  local run=${running[$pid]}
  unset "running[$pid]"
  echo "== ${run% *} (seed ${run#* })"
  cat "$logs/${run/ /-}.log"
  [ "$status" -eq 0 ] || failed+=("${run% *}")
}
for target in "${targets[@]}"; do
  for seed in $(seq 1 "$cores"); do
    # The first run takes what does not divide evenly.
    inputs=$((runs / cores + (seed == 1 ? runs % cores : 0)))
    while [ ${#running[@]} -ge "$cores" ]; do finish_one; done
    fuzz "$target" "$seed" "$inputs" &
    running[$!]="$target $seed"
  done
done
while [ ${#running[@]} -gt 0 ]; do finish_one; done

echo "fuzzed ${#targets[@]} targets, $runs inputs each"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing failed for: ${failed[*]} (inputs in build-instrumented/findings/)" >&2
  exit 1
fi
