#!/usr/bin/env bash
# Times tzq-replay end to end (process start, reading, plug-in load, every
# call, report, output checks) on a generated log: best of RUNS runs, so a
# busy machine's noise stays out of the figure. Prints the figure; asserts
# nothing.
#   bench/replay_end_to_end.sh [QSOS [RUNS]]      native build (build/native)
#   WINDOWS=1 bench/replay_end_to_end.sh ...      tzq-replay.exe under Wine
set -euo pipefail
cd "$(dirname "$0")/.."
qsos=${1:-50000}
runs=${2:-5}
native=build/native/bin
[ -x "$native/tzq-replay" ] && [ -x "$native/tzq-loggen" ] || {
  echo "build first: cmake --preset native && cmake --build --preset native" >&2
  exit 2
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$native/tzq-loggen" --qsos "$qsos" --out "$work/large.adi"

if [ "${WINDOWS:-}" = 1 ]; then
  export WINEPREFIX=${WINEPREFIX:-$PWD/build/win32/wine/prefix} WINEDEBUG=-all
  replay=(wine "$PWD/build/win32/bin/tzq-replay.exe")
else
  replay=("$PWD/$native/tzq-replay")
fi

best=
for ((i = 0; i < runs; i++)); do
  start=$(date +%s%N)
  (cd "$work" && "${replay[@]}" large.adi >/dev/null 2>"$work/summary")
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
done
cat "$work/summary"
echo "$qsos QSOs replayed end to end in $best ms (best of $runs)"
