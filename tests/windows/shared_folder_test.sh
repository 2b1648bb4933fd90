#!/usr/bin/env bash
# A native run and a wine run in one folder, and plain wine runs (which all
# have the same Windows process id): each run tells a live run's files from a
# killed one's by the lock the live run holds, never by process ids.
# Usage: shared_folder_test.sh NATIVE_SIM WINDOWS_BIN_DIR  (with WINEPREFIX set)
set -euo pipefail
native=$1
bin=$(cd "$2" && pwd)
fail() { echo "shared_folder_test: $*" >&2; exit 1; }
dir=$(mktemp -d)
trap 'pkill -f "ruckvale-sim.*--seconds 5000000" 2>/dev/null || true; rm -rf "$dir"' EXIT
cd "$dir"
temps() { find . -maxdepth 1 -name '.ruckvale-*' | sort; }

# A live native run keeps its files while a wine run comes and goes, and the
# other way round; both end with their maps.
"$native" --seconds 200000 --quiet --svg native.svg >/dev/null &
native_pid=$!
sleep 1
[[ -n "$(temps)" ]] || fail "the native run made no temporary map"
wine "$bin/ruckvale-sim.exe" --seconds 2 --quiet --svg wine.svg >/dev/null ||
  fail "the wine run failed beside a live native run"
kill -0 "$native_pid" 2>/dev/null || fail "the native run ended too soon to prove anything"
wait "$native_pid" || fail "the native run lost its map to the wine run"
[[ -s native.svg && -s wine.svg && -z "$(temps)" ]] || fail "maps or leftovers: $(ls -a)"

# A plain wine run killed outright: the next plain wine run removes its files.
wine "$bin/ruckvale-sim.exe" --seconds 5000000 --quiet --svg killed.svg >/dev/null 2>&1 &
sleep 8
[[ -n "$(temps)" ]] || fail "the long wine run made no temporary map"
pkill -KILL -f 'ruckvale-sim.exe --seconds 5000000' || true
wait || true
[[ -n "$(temps)" ]] || fail "the killed run left nothing (the test proves nothing)"
wine "$bin/ruckvale-sim.exe" --seconds 2 --quiet --svg again.svg >/dev/null
[[ -z "$(temps)" ]] || fail "the next wine run did not remove $(temps)"
echo "shared_folder_test: native and wine runs keep each other's live files; a killed run's go"
