#!/usr/bin/env bash
# The release zips hold what a player (and a modder) needs and nothing of the
# build tree; no file in them is named like the hook's DLL (mod sites refuse
# such archives); the player's files are named after the mod and the text
# files have Windows line ends.
# Usage: check_packages.sh PACKAGE_DIR VERSION
set -euo pipefail
export LC_ALL=C
dir=$1 version=$2
fail() { echo "check_packages: $*" >&2; exit 1; }
list() { unzip -Z1 "$1" | grep -v '/$' | sort | tr '\n' ' '; }

player=$dir/Ruckvale-$version-win64.zip
modder=$dir/Ruckvale-$version-win64-simulator.zip
[[ -f $player && -f $modder ]] || fail "missing packages in $dir"
[[ "$(list "$player")" == "Ruckvale-LICENSE.txt Ruckvale-README.txt Ruckvale.asi Ruckvale.ini " ]] ||
  fail "player zip holds: $(list "$player")"
want="simulator/README.txt simulator/Ruckvale-LICENSE.txt simulator/Ruckvale.asi simulator/Ruckvale.ini simulator/ruckvale-sim.exe simulator/ruckvale-standin-hook.dll "
[[ "$(list "$modder")" == "$want" ]] || fail "simulator zip holds: $(list "$modder")"
for zip in "$player" "$modder"; do
  if unzip -Z1 "$zip" | grep -qi 'scripthook'; then fail "$(basename "$zip") holds a file named like the hook"; fi
done
crlf_only() {  # zip, member: every line of the text ends in CR LF
  local text
  text=$(unzip -p "$1" "$2" | od -An -c | tr -s ' \n' ' ')
  [[ "$text" == *'\r \n'* ]] && ! grep -q '[^r] \\n' <<<"$text"
}
crlf_only "$player" Ruckvale-README.txt || fail "Ruckvale-README.txt lacks Windows line ends"
crlf_only "$player" Ruckvale-LICENSE.txt || fail "Ruckvale-LICENSE.txt lacks Windows line ends"
crlf_only "$modder" simulator/README.txt || fail "the simulator's README.txt lacks Windows line ends"
crlf_only "$player" Ruckvale.ini || fail "Ruckvale.ini lacks Windows line ends (players edit it in Notepad)"
# The ini in the zip is the repository's sample, and the readme names the version.
unzip -p "$player" Ruckvale-README.txt | grep -q "Ruckvale $version" ||
  fail "Ruckvale-README.txt lacks the version"
unzip -p "$player" Ruckvale.ini | tr -d '\r' | cmp -s - "$(dirname "$0")/../../packaging/Ruckvale.ini" ||
  fail "Ruckvale.ini differs from the sample"
echo "check_packages: $(basename "$player") and $(basename "$modder") hold what they should"
