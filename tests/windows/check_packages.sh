#!/usr/bin/env bash
# The release zips hold what a player (and a modder) needs and nothing of the
# build tree; the stand-in hook never sits at the top of a zip.
# Usage: check_packages.sh PACKAGE_DIR VERSION
set -euo pipefail
export LC_ALL=C
dir=$1 version=$2
fail() { echo "check_packages: $*" >&2; exit 1; }
list() { unzip -Z1 "$1" | grep -v '/$' | sort | tr '\n' ' '; }

player=$dir/Ruckvale-$version-win64.zip
modder=$dir/Ruckvale-$version-win64-simulator.zip
[[ -f $player && -f $modder ]] || fail "missing packages in $dir"
[[ "$(list "$player")" == "LICENSE README.txt Ruckvale.asi Ruckvale.ini " ]] ||
  fail "player zip holds: $(list "$player")"
want="simulator/LICENSE simulator/README.txt simulator/Ruckvale.asi simulator/Ruckvale.ini simulator/ScriptHookRDR2.dll simulator/ruckvale-scenarios.exe simulator/ruckvale-sim.exe "
[[ "$(list "$modder")" == "$want" ]] || fail "simulator zip holds: $(list "$modder")"
# The ini in the zip is the repository's sample, and the readme names the version.
unzip -p "$player" README.txt | grep -q "Ruckvale $version" || fail "README.txt lacks the version"
unzip -p "$player" Ruckvale.ini | cmp -s - "$(dirname "$0")/../../packaging/Ruckvale.ini" ||
  fail "Ruckvale.ini differs from the sample"
echo "check_packages: $(basename "$player") and $(basename "$modder") hold what they should"
