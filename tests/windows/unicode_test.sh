#!/usr/bin/env bash
# ruckvale-sim.exe under wine with names outside the ANSI code page (1252):
# the working folder, %TEMP%, the ini and the map all hold "é" and "日本".
# The checker and the simulator read and write the right files; Ctrl+C
# leaves nothing behind; a run killed outright leaves files that the next run
# removes. %TEMP% and the simulator's folder may be longer than MAX_PATH.
# Usage: unicode_test.sh BIN_DIR  (with WINEPREFIX and friends set)
set -euo pipefail
bin=$(cd "$1" && pwd)
fail() { echo "unicode_test: $*" >&2; exit 1; }
export LANG=de_DE.UTF-8  # a code page 1252 locale for wine
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
run="$root/run é日本" tmp="$root/tmp é日本"
mkdir -p "$run" "$tmp"
cd "$run"
printf 'fight_timer=5\nfight_chance=100\n' > "José日本.ini"
winpath() { echo "Z:${1//\//\\}"; }
# ruckvale-sim.exe with %TEMP% in the accented folder.
sim() {
  wine cmd /c "set TEMP=$(winpath "$tmp")&& set TMP=$(winpath "$tmp")&& $(winpath "$bin")\\ruckvale-sim.exe $*"
}
leftovers() { find "$tmp" "$run" -mindepth 1 \( -name 'ruckvale-*' -o -name '.ruckvale-*' \); }

out=$(wine "$bin/ruckvale-sim.exe" check-ini "José日本.ini") || [[ $? -eq 1 ]] || fail "check-ini failed"
grep -q "sets fight_timer to 5" <<<"$out" || fail "check-ini did not read José日本.ini: $out"

out=$(sim --seconds 12 --ini "José日本.ini" --svg "café日本.svg")
grep -q "fight starts (timer)" <<<"$out" || fail "the run did not read José日本.ini"
[[ -s "café日本.svg" ]] || fail "the map is not café日本.svg: $(ls)"
[[ -z "$(leftovers)" ]] || fail "a finished run left $(leftovers)"

cp "José日本.ini" Ruckvale.ini
sim --seconds 2 | head -1 | grep -q "Ruckvale.ini of the working directory" ||
  fail "the run did not find Ruckvale.ini in an accented working folder"

# Ctrl+C (wine turns SIGINT into the console's Ctrl+C event), on a run far longer
# than the test waits.
sim --seconds 5000000 --quiet --ini "José日本.ini" --svg "killed日本.svg" >/dev/null 2>&1 &
sleep 8
pid=$(pgrep -f '^Z:.*ruckvale-sim.exe --seconds 5000000' | head -1)
[[ -n "$pid" && -n "$(leftovers)" ]] || fail "the long run did not start"
kill -INT "$pid"
wait || true
[[ -z "$(leftovers)" && ! -e "killed日本.svg" ]] || fail "Ctrl+C left $(leftovers)"

# Killed outright: the next run removes what it left, and only that.
sim --seconds 5000000 --quiet --ini "José日本.ini" --svg "killed日本.svg" >/dev/null 2>&1 &
sleep 8
pid=$(pgrep -f '^Z:.*ruckvale-sim.exe --seconds 5000000' | head -1)
kill -KILL "$pid"
wait || true
[[ -n "$(leftovers)" ]] || fail "a killed run left nothing to clean (the test proves nothing)"
sim --seconds 2 --ini "José日本.ini" --svg "again.svg" >/dev/null
[[ -z "$(leftovers)" ]] || fail "the next run did not remove $(leftovers)"
# %TEMP% and the simulator's own folder longer than MAX_PATH (260 characters).
deep="$root/$(printf 'd%.0s' {1..90})/$(printf 'e%.0s' {1..90})/$(printf 'f%.0s' {1..90})"
mkdir -p "$deep/tmp" "$deep/bin"
cp "$bin"/*.exe "$bin"/*.dll "$bin"/*.asi "$deep/bin/"
out=$(wine cmd /c "set TEMP=$(winpath "$deep/tmp")&& set TMP=$(winpath "$deep/tmp")&& \
  $(winpath "$bin")\\ruckvale-sim.exe --seconds 12 --ini José日本.ini") ||
  fail "a run with a %TEMP% of ${#deep} characters failed"
grep -q "fight starts (timer)" <<<"$out" || fail "a run with a long %TEMP% did not read its ini"
out=$(wine "$deep/bin/ruckvale-sim.exe" --seconds 12 --ini "José日本.ini") ||
  fail "ruckvale-sim.exe in a folder of ${#deep} characters failed"
grep -q "fight starts (timer)" <<<"$out" || fail "a run from a long folder did not read its ini"
[[ -z "$(find "$deep/tmp" -mindepth 1)" ]] || fail "a long %TEMP% kept $(ls -A "$deep/tmp")"
echo "unicode_test: é and 日本 in the folder, %TEMP%, the ini and the map; Ctrl+C and a killed run leave nothing; %TEMP% and the simulator's folder beyond 260 characters"
