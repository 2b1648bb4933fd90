#!/usr/bin/env bash
# The module's own instructions per pass, counted by valgrind's callgrind:
# collection is on inside the measured module function and off inside every
# hook and Windows function the module calls, so the native wrappers count
# and the stand-in game's answers do not. Instruction counts repeat exactly
# for the same binary; times on a shared machine do not.
#   bench/instruction_counts.sh        prints a Markdown table
set -euo pipefail
cd "$(dirname "$0")/.."
command -v valgrind >/dev/null || { echo "instruction_counts.sh needs valgrind (apt-get install valgrind)" >&2; exit 2; }
cmake --preset bench >/dev/null
cmake --build --preset bench --target ruckvale_instruction_cases >/dev/null
bin=build/bench/bench/ruckvale_instruction_cases
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
iterations=1000
outside=(nativeInit nativePush64 nativeCall GetTickCount GetAsyncKeyState GetForegroundWindow
         GetWindowThreadProcessId GetCurrentProcessId scriptWait)

count() {  # case, measured function
  local args=(--tool=callgrind --collect-atstart=no "--toggle-collect=$2"
              "--callgrind-out-file=$out/$1.out")
  for f in "${outside[@]}"; do args+=("--toggle-collect=$f"); done
  valgrind "${args[@]}" "$bin" "$1" "$iterations" >/dev/null 2>"$out/$1.log"
  local total
  total=$(sed -n 's/^summary: *//p' "$out/$1.out")
  echo $((total / iterations))
}

echo "| Case | Measured function | Instructions per call |"
echo "|---|---|---|"
echo "| idle pass (no trigger, empty roster) | \`RunPass\` | $(count idle 'ruckvale::RunPass(int)') |"
echo "| idle pass with \`pad_trigger\` set | \`RunPass\` | $(count idle-pad 'ruckvale::RunPass(int)') |"
echo "| fight start, 8 fighters among 32 listed peds | \`StartFight\` | $(count fight8 'ruckvale::StartFight(unsigned int)') |"
echo "| supervision of 8 idle fighters, then pruning | \`SuperviseFighters\` + \`PruneRoster\` | $(( $(count supervise8 'ruckvale::SuperviseFighters(unsigned int)') + $(count supervise8 'ruckvale::PruneRoster()') )) |"
