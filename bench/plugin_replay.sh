#!/usr/bin/env bash
# The plug-in's replay figures from tzq_bench: a 5,000- and a 50,000-QSO
# replay, one AddData0 call against the no-op floor (a library whose
# AddData0 returns at once), and the resident memory of a stored QSO at a
# million distinct calls. Times are the median CPU time of REPS repetitions
# (CPU, not wall: a shared machine's other work stays out of them), and
# with CALLGRIND=1 also the instructions of one 50,000-QSO replay, which no
# other load changes. Prints the figures; asserts nothing.
#   bench/plugin_replay.sh [REPS]        native build (build/native)
set -euo pipefail
cd "$(dirname "$0")/.."
reps=${1:-5}
bin=build/native/bin
[ -x "$bin/tzq_bench" ] || {
  echo "build first: cmake --preset native && cmake --build --preset native --target tzq_bench" >&2
  exit 2
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bin/tzq_bench" --benchmark_filter='BM_Replay|BM_AddDataPerQso|BM_NoOpFloor' \
  --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
  --benchmark_format=csv 2>/dev/null >"$work/times.csv"
# CSV: name,iterations,real_time,cpu_time,time_unit,...
cpu() { awk -F, -v n="\"$1_median\"" '$1 == n { print $4 }' "$work/times.csv"; }
small=$(cpu BM_Replay/5000)
large=$(cpu BM_Replay/50000)
add=$(cpu BM_AddDataPerQso)
floor=$(cpu BM_NoOpFloor)
"$bin/tzq_bench" --benchmark_filter='BM_ResidentPerQso' --benchmark_format=csv 2>/dev/null \
  >"$work/memory.csv"
# The counters' columns, found by their names in the header.
memory=$(awk -F, 'NR == 1 { for (i = 1; i <= NF; ++i) col[$i] = i }
  NR > 1 { print $col["\"bytes_per_qso\""] "," $col["\"kb_left_after_reset\""] }' "$work/memory.csv")

awk -v s="$small" -v l="$large" -v a="$add" -v f="$floor" -v m="$memory" -v r="$reps" 'BEGIN {
  split(m, mm, ",");
  printf "median CPU time of %d repetitions\n", r;
  printf "replay of  5,000 QSOs   %8.2f ms\n", s;
  printf "replay of 50,000 QSOs   %8.2f ms   (50k/5k ratio %.1f)\n", l, l / s;
  printf "AddData0 per QSO        %8.0f ns   (%.0f x the no-op floor of %.1f ns)\n", a, a / f, f;
  printf "resident per stored QSO %8.0f B at 1,000,000 QSOs; %.0f KB left after the reset\n",
         mm[1], mm[2];
}'

if [ "${CALLGRIND:-}" = 1 ] && command -v valgrind >/dev/null; then
  valgrind --tool=callgrind --callgrind-out-file="$work/cg.out" \
    '--toggle-collect=*Replay*PluginApi*HostLog*' "$bin/tzq_bench" \
    --benchmark_filter='BM_Replay/50000' --benchmark_min_time=0 >/dev/null 2>"$work/cg.log"
  ir=$(sed -n 's/.*Collected : //p' "$work/cg.log")
  echo "instructions of one 50,000-QSO replay: $ir ($((ir / 50000)) per QSO, callgrind)"
fi
