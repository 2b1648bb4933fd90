#!/usr/bin/env bash
# The module's own instructions per call, counted by valgrind's callgrind:
# collection is on inside the measured module function and off inside every
# hook and Windows function the module calls, so the native wrappers count
# and the stand-in game's answers do not. Instruction counts repeat exactly
# for the same binary; times on a shared machine do not.
#   bench/instruction_counts.sh          prints the Markdown table
#   bench/instruction_counts.sh --check  compares it with docs/PERFORMANCE.md's
#                                        table; prints both and exits 1 when
#                                        they differ
# Measured functions are named by a pattern of their name alone (the
# parameters may change); the pattern must name exactly one function of the
# binary. A case whose measured function is not entered exactly once per
# iteration, or a run that counted nothing, fails with the function's name.
# The set-up's calls of the hook's functions are collected too (a toggle on a
# hook function collects wherever it is called), so each case runs at two
# iteration counts and the figure is the difference per iteration.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
for tool in valgrind nm; do
  command -v "$tool" >/dev/null || {
    echo "instruction_counts.sh needs $tool (scripts/install-deps.sh all)" >&2
    exit 2
  }
done
check=no
case "${1:-}" in
  "") ;;
  --check) check=yes ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac
cmake --preset bench >/dev/null
cmake --build --preset bench --target ruckvale_instruction_cases >/dev/null
bin=build/bench/bench/ruckvale_instruction_cases
doc=docs/PERFORMANCE.md
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
low=500
high=1500
# The hook's and Windows' functions the module calls: collection stops inside them.
outside=(nativeInit nativePush64 nativeCall GetTickCount GetAsyncKeyState GetForegroundWindow
         GetWindowThreadProcessId GetCurrentProcessId scriptWait)

fail() {
  echo "instruction_counts.sh: $*" >&2
  exit 1
}

# The binary's functions, demangled, one a line.
nm -C --defined-only "$bin" | sed -n 's/^[0-9a-f]* [TtWw] //p' >"$out/functions"

# The one function of the binary whose demangled name matches the glob $1.
resolve() {
  local name found=()
  while IFS= read -r name; do
    # shellcheck disable=SC2053  # $1 is a glob on purpose
    [[ "$name" == $1 ]] && found+=("$name")
  done <"$out/functions"
  ((${#found[@]} == 1)) || fail "'$1' names ${#found[@]} functions of $bin, not one: ${found[*]:-none}"
  printf '%s\n' "${found[0]}"
}

# The total collected instructions of case $1 run $2 times, with collection
# toggled on in each function named after them; each must be called $2 times.
total() {
  local case=$1 n=$2 file="$out/$1.$2.out" f calls
  shift 2
  local args=(--tool=callgrind --collect-atstart=no --compress-strings=no --callgrind-out-file="$file")
  for f in "$@" "${outside[@]}"; do args+=("--toggle-collect=$f"); done
  valgrind "${args[@]}" "$bin" "$case" "$n" >/dev/null 2>"$out/$case.$n.log" ||
    { cat "$out/$case.$n.log" >&2; fail "case $case failed under valgrind"; }
  for f in "$@"; do
    # The calls into the function, summed over its callers.
    calls=$(awk -v f="cfn=$f" '$0 == f { take = 1; next }
                               take && sub(/^calls=/, "") { sum += $1 } { take = 0 }
                               END { print sum + 0 }' "$file")
    ((calls == n)) || fail "case $case: $f was entered $calls times, not $n"
  done
  local sum
  sum=$(sed -n 's/^summary: *//p' "$file")
  if ! [[ "$sum" =~ ^[0-9]+$ ]] || ((sum == 0)); then fail "case $case counted nothing"; fi
  echo "$sum"
}

# Instructions per iteration of case $1 inside the functions matching the
# globs after it: the difference between $high and $low iterations, rounded.
per_call() {
  local case=$1 names=() g a b
  shift
  for g in "$@"; do names+=("$(resolve "$g")"); done
  a=$(total "$case" "$low" "${names[@]}")
  b=$(total "$case" "$high" "${names[@]}")
  ((b > a)) || fail "case $case: $high iterations counted $b, $low counted $a"
  echo $(((b - a + (high - low) / 2) / (high - low)))
}

for f in "${outside[@]}"; do
  [[ "$(resolve "$f")" == "$f" ]] || fail "hook function $f not found by its exact name"
done

# Assigned one by one, so that a failing count stops the script.
idle=$(per_call idle 'ruckvale::RunPass(*)')
idle_pad=$(per_call idle-pad 'ruckvale::RunPass(*)')
idle_reload_notify=$(per_call idle-reload-notify 'ruckvale::RunLoopPass(*)')
fight8=$(per_call fight8 'ruckvale::StartFight(*)')
fight8_law_out=$(per_call fight8-law-out 'ruckvale::StartFight(*)')
supervise8=$(per_call supervise8 'ruckvale::SuperviseFighters(*)' 'ruckvale::PruneRoster(*)')
probe8=$(per_call probe8 'ruckvale::RunProbe(*)')
cat >"$out/table" <<EOF
| Case | Measured function | Instructions per call |
|---|---|---|
| idle pass (no trigger, empty roster) | \`RunPass\` | $idle |
| idle pass with \`pad_trigger\` set | \`RunPass\` | $idle_pad |
| idle turn of the loop with \`reload_key\` and \`notify\` set | \`RunLoopPass\` | $idle_reload_notify |
| fight start, 8 fighters among 32 listed peds | \`StartFight\` | $fight8 |
| fight start as above with \`lawmen_fight=false\` (none of them the law) | \`StartFight\` | $fight8_law_out |
| supervision of 8 idle fighters, then pruning | \`SuperviseFighters\` + \`PruneRoster\` | $supervise8 |
| probe (\`probe=true\`): a sample of 8 fighters, the log off | \`RunProbe\` | $probe8 |
EOF

if [[ $check == no ]]; then
  cat "$out/table"
  exit 0
fi
# The documented table: from its header line to the first line that is not a row.
awk '/^\| Case \| Measured function \|/ { on = 1 } on && !/^\|/ { exit } on' "$doc" >"$out/documented"
if ! cmp -s "$out/table" "$out/documented"; then
  echo "$doc's instruction table differs from a fresh count." >&2
  echo "In $doc:" >&2
  cat "$out/documented" >&2
  echo "Counted now:" >&2
  cat "$out/table" >&2
  exit 1
fi
echo "$doc's instruction table matches a fresh count"
