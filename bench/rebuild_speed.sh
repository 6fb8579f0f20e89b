#!/usr/bin/env bash
# Log rebuild speed through the plug-in: tzq-replay (a reset, one AddData0
# per QSO, the report) on two generated logs of the same shape and size,
# one without a single problem QSO (tzq-loggen --clean) and one with the
# usual share of dupes and mistakes, each of which writes a bad-QSO line.
# Prints both times, best of three with process start included, and their
# ratio: the price of the bad-QSO lines. Target: ratio <= 1.3.
#
#   bench/rebuild_speed.sh            Stats.dll under Wine (build/win32)
#   bench/rebuild_speed.sh --native   Stats.so (build/native)
#   QSOS=N bench/rebuild_speed.sh     another log size (default 50000)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
qsos=${QSOS:-50000}
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

# Best of three, in milliseconds; the replay's summary line goes to $2.summary.
best_of_three() {
  local log=$1 best="" start stop ms
  for _ in 1 2 3; do
    rm -rf "out_$log"
    start=$(date +%s%N)
    "${replay[@]}" "$log.adi" --out "out_$log" >/dev/null 2>"$log.summary"
    stop=$(date +%s%N)
    ms=$(((stop - start) / 1000000))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}

clean_ms=$(best_of_three clean)
problem_ms=$(best_of_three problems)
lines=$(($(grep -c '^QSO:' out_problems/BadQSO_StatsTZQ_*.txt)))
echo "rebuild of $qsos QSOs through ${replay[-1]##*/} (best of 3, process start included)"
echo "  no problem QSO:    ${clean_ms} ms   $(tr -d '\r' <clean.summary | sed 's/^tzq-replay: //')"
echo "  with problem QSOs: ${problem_ms} ms   ($lines bad-QSO lines) $(tr -d '\r' <problems.summary | sed 's/^tzq-replay: //')"
awk -v a="$problem_ms" -v b="$clean_ms" 'BEGIN { printf "  ratio: %.2f (target <= 1.3)\n", a / b }'
