#!/usr/bin/env bash
# Builds everything and runs every test, on a fresh Debian 12 machine too:
#   0. clang-format: no source file may differ from what it would write;
#   1. the native suite (GoogleTest through CTest, and the tool tests);
#   2. the instruction counts (bench/instruction_counts.sh: the bench preset's
#      instruction cases under callgrind), which must equal the table in
#      docs/PERFORMANCE.md;
#   3. the same suite built with clang, under AddressSanitizer and
#      UndefinedBehaviorSanitizer;
#   4. the libFuzzer targets, each for a bounded time, from their saved inputs;
#   5. Ruckvale.asi cross-built with mingw-w64: its import table, and the same
#      scenarios run natively and through the DLL under wine, trace for trace;
#      then the release packages.
# FUZZ_SECONDS (default 20) bounds each fuzz run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh all
jobs=$(nproc)
step() { printf '\n==== %s\n' "$*"; }

step "formatting"
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${sources[@]}"; then
  echo "clang-format would change the files above: run clang-format -i on them" >&2
  exit 1
fi
echo "${#sources[@]} files formatted as .clang-format says"

step "native build and tests"
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$jobs"
ctest --preset dev -j "$jobs"

step "instruction counts against docs/PERFORMANCE.md"
bench/instruction_counts.sh --check

step "tests built with clang, under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"
ctest --preset sanitize -j "$jobs"

step "fuzzing"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
fuzz_seconds=${FUZZ_SECONDS:-20}
for target in build/fuzz/fuzz/*_fuzz; do
  [[ -x "$target" ]] || continue
  name=$(basename "$target" _fuzz)
  work=build/fuzz/corpus-$name
  mkdir -p "$work"
  echo "$name: ${fuzz_seconds}s"
  # Relative folders: a target that moves the working folder fails here.
  "$target" -max_total_time="$fuzz_seconds" -max_len=4096 -print_final_stats=1 \
    "$work" "fuzz/corpus/$name" 2>&1 | grep -E '^(stat::number_of_executed_units|Done|==|SUMMARY)' || true
  [[ ${PIPESTATUS[0]} -eq 0 ]] || { echo "fuzz target $name failed"; exit 1; }
done

if [[ -f cmake/mingw-w64.cmake ]]; then
  step "Windows build under wine"
  scripts/windows-test.sh
fi
echo
echo "every test passed"
