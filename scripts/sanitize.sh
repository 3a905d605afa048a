#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-instrumented/ (see configure-instrumented.sh) and runs the whole test
# suite there; any report fails it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/configure-instrumented.sh
cmake --build build-instrumented -j"$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The command-line cases run again under Node convert in the WebAssembly
# build, where no sanitizer looks: the plain suite runs them.
ctest --test-dir build-instrumented --output-on-failure -j"$(nproc)" -LE 'app|node'
# The desktop application's tests run inside Qt and its web engine, which keep
# allocations for the life of the process and, in the web engine, free some
# memory with a mismatched operator delete; the keyboard library reads its
# strings by length rather than to a terminating NUL. All of it comes from the
# system's libraries, not from ours.
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:new_delete_type_mismatch=0" \
LSAN_OPTIONS="suppressions=$(pwd)/tests/app/lsan_suppressions.txt:print_suppressions=0" \
  ctest --test-dir build-instrumented --output-on-failure -j"$(nproc)" -L app -E '^DesktopSmoke\.'
# Under a real X server the graphics driver is loaded and unloaded again, and
# what it keeps can no longer be traced to a library: leaks are not checked there.
ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:new_delete_type_mismatch=0" \
  ctest --test-dir build-instrumented --output-on-failure -j"$(nproc)" -R '^DesktopSmoke\.'
