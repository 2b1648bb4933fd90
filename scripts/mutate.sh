#!/usr/bin/env bash
# Plants each fault of tests/mutants/ in a scratch copy of the tree, one at a
# time: applies the patch, builds the dev preset incrementally, runs the suite
# without the soak, and reverses the patch. One line per patch (caught by a
# test, caught by the compiler, survived, no longer applies, or skipped when
# only Windows can show it), then the score. Exits non-zero when a patch
# survives or no longer applies. Not part of CI.
#   scripts/mutate.sh                       every patch
#   scripts/mutate.sh NAME[.patch] ...      only these
# MUTATE_DIR (default $TMPDIR/ruckvale-mutate) holds the copy and its build,
# kept between runs so that later runs build incrementally.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=${MUTATE_DIR:-${TMPDIR:-/tmp}/ruckvale-mutate}
jobs=2
log=$scratch/last.log

# Only files whose bytes differ are copied, so the build sees new times on
# exactly those (a patch reversed in the copy is newer than the original).
copy_tree() {
  mkdir -p "$scratch/tree"
  (cd "$root" && git ls-files --cached --others --exclude-standard -z) |
    while IFS= read -r -d '' f; do
      [[ -f "$root/$f" ]] || continue
      if ! cmp -s "$root/$f" "$scratch/tree/$f"; then
        mkdir -p "$(dirname "$scratch/tree/$f")"
        cp "$root/$f" "$scratch/tree/$f"
      fi
    done
}

build() { cmake --build --preset dev -j "$jobs" >"$log" 2>&1; }
# Prints the first failing test's name; fails when any test fails.
suite() {
  ctest --preset dev -j "$jobs" -E '^Soak$' --stop-on-failure >"$log" 2>&1 && return 0
  awk '/tests FAILED:/ { f = 1; next }
       f && sub(/^[[:space:]]*[0-9]+ - /, "") { sub(/ \([^(]*\)$/, ""); print; exit }' "$log"
  return 1
}

copy_tree
cd "$scratch/tree" || exit 1
cmake --preset dev >/dev/null || exit 1
if ! build || ! suite >/dev/null; then
  echo "the unpatched tree does not build or pass: see $log" >&2
  exit 1
fi

# The patches are read from the tree itself: the copy may hold removed ones.
patches=()
if (($# == 0)); then
  patches=("$root"/tests/mutants/*.patch)
else
  for name in "$@"; do patches+=("$root/tests/mutants/${name%.patch}.patch"); done
fi

caught=0 bad=0 skipped=0
for p in "${patches[@]}"; do
  name=$(basename "$p" .patch)
  if [[ ! -f "$p" ]] || ! patch -p1 -s -f --dry-run <"$p" >/dev/null 2>&1; then
    echo "$name: NO LONGER APPLIES"
    bad=$((bad + 1))
    continue
  fi
  if [[ $name == windows-only-* ]]; then
    # The first line names the test that shows the fault under wine.
    echo "$name: skipped (Windows only: $(head -n 1 "$p" | sed 's/^# *//'))"
    skipped=$((skipped + 1))
    continue
  fi
  patch -p1 -s -f <"$p"
  trap 'patch -p1 -R -s -f <"$p"; exit 130' INT TERM
  if ! build; then
    echo "$name: caught by the compiler"
    caught=$((caught + 1))
  elif test_name=$(suite); then
    echo "$name: SURVIVED"
    bad=$((bad + 1))
  else
    echo "$name: caught by ${test_name:-a test}"
    caught=$((caught + 1))
  fi
  patch -p1 -R -s -f <"$p"
  trap - INT TERM
done
echo "score: $caught of $((${#patches[@]} - skipped)) caught, $bad survived or stale," \
  "$skipped skipped (Windows only)"
((bad == 0))
