#!/usr/bin/env bash
# Builds the simulator and runs the real module in the built-in scene for five
# simulated minutes, with the trigger key released two seconds in. Extra
# arguments go to ruckvale-sim (try --help).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh native
cmake --preset dev >/dev/null
cmake --build --preset dev --target ruckvale-sim >/dev/null
if (($#)); then
  exec build/dev/tools/ruckvale-sim "$@"
fi
exec build/dev/tools/ruckvale-sim --press 2
