#!/usr/bin/env bash
# Cross-builds Ruckvale.asi and the Windows simulator with mingw-w64, checks
# the DLL's tables, runs the fixed scenarios natively and through the DLL
# under wine and compares the traces byte for byte, does the same for a
# simulator run, runs the simulator with names outside the code page and cut
# short, and builds and checks the release zips.
set -euo pipefail
# A step that fails without a word of its own (wine may) is named here.
trap 'echo "windows-test: line $LINENO failed with status $?: $BASH_COMMAND" >&2' ERR
cd "$(dirname "$0")/.."
scripts/install-deps.sh all
jobs=$(nproc)
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$jobs" --target ruckvale-scenarios ruckvale-sim

bin=build/windows/bin
version=$(sed -n 's/^project(Ruckvale VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
tests/windows/check_dll.sh "$bin/Ruckvale.asi" "$version"

run_windows() {
  if [[ "${OS:-}" == Windows_NT ]]; then
    "$@"
  else
    WINEPREFIX="$PWD/build/windows/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
      wine "$@" 2> >(grep -v -e 'rundll32.exe' -e 'configuration' >&2)
  fi
}
out=build/windows/differential
mkdir -p "$out"
build/dev/tools/ruckvale-scenarios > "$out/native.txt"
run_windows "$bin/ruckvale-scenarios.exe" > "$out/windows.txt"
if ! cmp -s "$out/native.txt" "$out/windows.txt"; then
  echo "the traces of the native build and of Ruckvale.asi differ:" >&2
  diff "$out/native.txt" "$out/windows.txt" | head -20 >&2
  exit 1
fi
echo "differential: $(grep -c '^== ' "$out/native.txt") scenarios, $(wc -l < "$out/native.txt") trace lines, identical"

args=(--seconds 600 --press 2,100,200 --background 90-150 --seed 3 --json)
build/dev/tools/ruckvale-sim "${args[@]}" > "$out/sim-native.json"
run_windows "$bin/ruckvale-sim.exe" "${args[@]}" > "$out/sim-windows.json"
cmp -s "$out/sim-native.json" "$out/sim-windows.json" ||
  { echo "ruckvale-sim and ruckvale-sim.exe tell different stories" >&2; exit 1; }
echo "differential: ruckvale-sim.exe tells the same story ($(wc -l < "$out/sim-native.json") events)"
# With the probe on, the story also reads the module's log as it grows.
args=(--seconds 120 --press 2,40,80 --probe --contrary hand --seed 5 --json)
build/dev/tools/ruckvale-sim "${args[@]}" > "$out/probe-native.json"
run_windows "$bin/ruckvale-sim.exe" "${args[@]}" > "$out/probe-windows.json"
cmp -s "$out/probe-native.json" "$out/probe-windows.json" ||
  { echo "ruckvale-sim and ruckvale-sim.exe tell different stories with --probe" >&2; exit 1; }
echo "differential: with --probe too ($(grep -c '"event":"probe"' "$out/probe-native.json") probe lines)"
# A reload that brings the law in and notices, with the pause menu open a while.
printf 'reload_key=Ctrl+F11\nnotify=true\ntoggle_key=F10\nfight_timer=20\nfight_chance=100\n' \
  > "$out/first.ini"
printf 'reload_key=Ctrl+F11\nnotify=true\ntoggle_key=F10\nlaw_steps_in=true\nfight_group_size=4\nfight_timer=20\n' \
  > "$out/then.ini"
args=(--seconds 90 --ini "$out/first.ini" --reload 30 --ini-then "$out/then.ini" --toggle 50,60
  --pause 55-58 --seed 7 --json)
build/dev/tools/ruckvale-sim "${args[@]}" > "$out/reload-native.json"
run_windows "$bin/ruckvale-sim.exe" "${args[@]}" > "$out/reload-windows.json"
cmp -s "$out/reload-native.json" "$out/reload-windows.json" ||
  { echo "ruckvale-sim and ruckvale-sim.exe tell different stories of a reload" >&2; exit 1; }
grep -q '"event":"reload"' "$out/reload-native.json" ||
  { echo "the reload's story tells no reload" >&2; exit 1; }
echo "differential: a reload with the law and notices too ($(grep -c '"event":"notice"' "$out/reload-native.json") notices, $(grep -c '"event":"law_joined"' "$out/reload-native.json") lawmen joining)"

if [[ "${OS:-}" != Windows_NT ]]; then
  WINEPREFIX="$PWD/build/windows/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    tests/windows/unicode_test.sh "$bin" 2> >(grep -v -e 'rundll32.exe' -e 'configuration' >&2)
  WINEPREFIX="$PWD/build/windows/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    tests/windows/shared_folder_test.sh "$PWD/build/dev/tools/ruckvale-sim" "$bin" \
    2> >(grep -v -e 'rundll32.exe' -e 'configuration' >&2)
fi

(cd build/windows && cpack >/dev/null)
tests/windows/check_packages.sh build/windows/packages "$version"
