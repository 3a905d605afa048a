#!/usr/bin/env bash
# Counts the lines of code (no blanks, no comments) of the product and of
# its tests with cloc, and prints their ratio. Case files and golden outputs
# are data, not code: only programming languages are counted.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v cloc >/dev/null; then bash scripts/install-deps.sh tests; fi

languages="C++,C/C++ Header,CMake,Bourne Shell,Bourne Again Shell"
code_lines() {
  cloc --quiet --csv --include-lang="$languages" "$@" | awk -F, '$2 == "SUM" { print $5 }'
}

product=$(code_lines src tools/lacgen bench)
tests=$(code_lines tests fuzz)
printf 'product code (src/, tools/lacgen/, bench/): %6d lines\n' "$product"
printf 'test code (tests/, fuzz/):                   %6d lines\n' "$tests"
awk -v t="$tests" -v p="$product" 'BEGIN { printf "tests / product:                              %6.2f\n", t / p }'
