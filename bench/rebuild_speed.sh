#!/usr/bin/env bash
# Log rebuild speed through the plug-in: tzq-replay (a reset, one AddData0
# per QSO, the report) on two generated logs of the same shape and size,
# one without a single problem QSO (tzq-loggen --clean) and one with the
# usual share of dupes and mistakes, each of which writes a bad-QSO line.
# Prints both times, the best of five interleaved runs each with process
# start included, and their ratio: the price of the bad-QSO lines.
# Target: ratio <= 1.3. Under Wine the DLL runs natively or in the
# project's Wine lane, whichever this machine has (cmake/wine-lane.sh).
#
#   bench/rebuild_speed.sh            Stats.dll under Wine (build/win32)
#   bench/rebuild_speed.sh --native   Stats.so (build/native)
#   QSOS=N bench/rebuild_speed.sh     another log size (default 50000)
#   RUNS=N bench/rebuild_speed.sh     another number of runs (default 5)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
qsos=${QSOS:-50000}
runs=${RUNS:-5}
work=$(mktemp -d)
cleanup() { rm -rf "$work"; }
trap cleanup EXIT

case "${1:---wine}" in
--native)
  bin=$root/build/native/bin
  replay=("$bin/tzq-replay")
  ;;
--wine)
  bin=$root/build/win32/bin
  wine_root=$root/build/win32/wine
  # The test fixture's prefix and display; the first start of a fresh
  # prefix is slow, so one throw-away run comes first.
  "$root/cmake/wine-env.sh" setup "$wine_root"
  cleanup() {
    "$root/cmake/wine-env.sh" cleanup "$wine_root" || true
    rm -rf "$work"
  }
  replay=("$root/build/win32/wine-run.sh" "$bin/tzq-replay.exe")
  ;;
*)
  echo "usage: $0 [--wine|--native]" >&2
  exit 2
  ;;
esac
[ -f "${replay[-1]}" ] || { echo "missing ${replay[-1]}: build it first" >&2; exit 1; }

# The native generator when there is one: the logs are the same bytes.
if [ -x "$root/build/native/bin/tzq-loggen" ]; then
  loggen=("$root/build/native/bin/tzq-loggen")
else
  loggen=("$root/build/win32/wine-run.sh" "$root/build/win32/bin/tzq-loggen.exe")
fi
"${loggen[@]}" --qsos "$qsos" --clean >"$work/clean.adi"
"${loggen[@]}" --qsos "$qsos" >"$work/problems.adi"

cd "$work"
"${replay[@]}" clean.adi --out warmup >/dev/null 2>&1 || true

# One timed run in milliseconds; the replay's summary line goes to $1.summary.
timed_run() {
  local log=$1 start stop
  rm -rf "out_$log"
  start=$(date +%s%N)
  "${replay[@]}" "$log.adi" --out "out_$log" >/dev/null 2>"$log.summary"
  stop=$(date +%s%N)
  echo $(((stop - start) / 1000000))
}

# Interleaved, so that a busy spell of the machine (or of the emulation in
# the Wine lane) weighs on both logs alike; the best of each counts.
clean_ms="" problem_ms=""
for _ in $(seq "$runs"); do
  ms=$(timed_run clean)
  if [ -z "$clean_ms" ] || [ "$ms" -lt "$clean_ms" ]; then clean_ms=$ms; fi
  ms=$(timed_run problems)
  if [ -z "$problem_ms" ] || [ "$ms" -lt "$problem_ms" ]; then problem_ms=$ms; fi
done
lines=$(($(grep -c '^QSO:' out_problems/BadQSO_StatsTZQ_*.txt)))
echo "rebuild of $qsos QSOs through ${replay[-1]##*/} (best of $runs, interleaved, process start included)"
echo "  no problem QSO:    ${clean_ms} ms   $(tr -d '\r' <clean.summary | sed 's/^tzq-replay: //')"
echo "  with problem QSOs: ${problem_ms} ms   ($lines bad-QSO lines) $(tr -d '\r' <problems.summary | sed 's/^tzq-replay: //')"
awk -v a="$problem_ms" -v b="$clean_ms" 'BEGIN { printf "  ratio: %.2f (target <= 1.3)\n", a / b }'
