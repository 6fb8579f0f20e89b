#!/usr/bin/env bash
# tzq-check on a generated contest of LOGS logs of about 500 QSOs each (the
# same bytes for the same arguments), run with --jobs 1 and --jobs 2 in
# turn, RUNS times each; the best wall time of each keeps most of a shared
# machine's other work out of the figures. Also prints the CPU time of the
# run that gave the best, and whether both wrote the same bytes. Prints the
# figures; asserts nothing.
#   bench/check_jobs.sh [LOGS [RUNS]]      native build (build/native)
set -euo pipefail
cd "$(dirname "$0")/.."
logs=${1:-2000}
runs=${2:-3}
bin=$PWD/build/native/bin
[ -x "$bin/tzq-check" ] && [ -x "$bin/tzq-loggen" ] || {
  echo "build first: cmake --preset native && cmake --build --preset native" >&2
  exit 2
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bin/tzq-loggen" --stations "$logs" --qsos 500 --seed 99 --out "$work/logs" >/dev/null

# GNU time gives the CPU time, the workers' included, where it is installed.
timed=()
[ -x /usr/bin/time ] && timed=(/usr/bin/time -f '%U %S' -o "$work/cpu")
echo "- -" >"$work/cpu"
declare -A best cpu
for ((i = 0; i < runs; i++)); do
  for jobs in 1 2; do
    rm -rf "$work/results-$jobs"
    start=$(date +%s%N)
    "${timed[@]}" "$bin/tzq-check" "$work/logs" --out "$work/results-$jobs" --jobs "$jobs" 2>"$work/log-$jobs" || {
      cat "$work/log-$jobs" >&2
      exit 1
    }
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    if [ -z "${best[$jobs]:-}" ] || [ "$ms" -lt "${best[$jobs]}" ]; then
      best[$jobs]=$ms
      cpu[$jobs]=$(awk '$1 == "-" { print "CPU time not measured"; next }
        { printf "%.2f s user, %.2f s system", $1, $2 }' "$work/cpu")
    fi
  done
done
tail -1 "$work/log-2"
same=different
diff -r "$work/results-1" "$work/results-2" >/dev/null && same=the\ same
echo "tzq-check, $logs logs of about 500 QSOs, best wall time of $runs runs each:"
echo "  --jobs 1: $(awk -v m="${best[1]}" 'BEGIN { printf "%.2f", m / 1000 }') s  (${cpu[1]})"
echo "  --jobs 2: $(awk -v m="${best[2]}" 'BEGIN { printf "%.2f", m / 1000 }') s  (${cpu[2]})"
echo "  speed-up: $(awk -v a="${best[1]}" -v b="${best[2]}" 'BEGIN { printf "%.2f", a / b }')x; outputs $same bytes"
