#!/usr/bin/env bash
# Builds the simulator and runs the real module in the built-in scene.
#   scripts/simulate.sh              five simulated minutes, the trigger key
#                                    released two seconds in (--press 2)
#   scripts/simulate.sh ARGS...      ruckvale-sim ARGS... instead: the default
#                                    --press 2 is dropped, so give --press
#                                    yourself if you want a key release
#   scripts/simulate.sh --help       this text, then ruckvale-sim's options
# File names in ARGS (--ini, --svg, check-ini FILE) are taken relative to the
# folder you run the script from.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
"$repo/scripts/install-deps.sh" native
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! (cd "$repo" && cmake --preset dev && cmake --build --preset dev --target ruckvale-sim) \
  >"$log" 2>&1; then
  cat "$log" >&2
  echo "simulate.sh: the build failed (output above)" >&2
  exit 1
fi
sim=$repo/build/dev/tools/ruckvale-sim
for arg in "$@"; do
  if [[ "$arg" == --help || "$arg" == -h ]]; then
    sed -n '2,10s/^# \{0,1\}//p' "$0"
    echo
    exec "$sim" --help
  fi
done
if (($#)); then
  exec "$sim" "$@"
fi
exec "$sim" --press 2
