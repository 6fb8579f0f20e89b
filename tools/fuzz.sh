#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang with ASan and UBSan) and
# runs each for the given number of seconds, starting from the committed
# seed corpus (tests/fuzz/corpus/<target>) and growing a working corpus in
# build/fuzz/corpus/<target>. Prints executions per target; exits non-zero
# when a target crashes or breaks an invariant (the input is kept as
# build/fuzz/crash-*).
#   tools/fuzz.sh [SECONDS] [TARGET...]
set -uo pipefail
cd "$(dirname "$0")/.." && root=$(pwd)
seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=()
  for dir in tests/fuzz/corpus/*/; do targets+=("fuzz_$(basename "$dir")"); done
fi

cmake --preset fuzz >/dev/null || exit 1
cmake --build build/fuzz -j "$(nproc)" --target "${targets[@]}" >/dev/null || exit 1

status=0
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  # Absolute paths: the targets work in a folder of their own.
  work=$root/build/fuzz/corpus/$name
  mkdir -p "$work"
  log=build/fuzz/$target.log
  "$root/build/fuzz/bin/$target" "$work" "$root/tests/fuzz/corpus/$name" \
    -max_total_time="$seconds" -rss_limit_mb=2048 -artifact_prefix="$root/build/fuzz/" \
    -print_final_stats=1 >"$log" 2>&1
  rc=$?
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
  if [ $rc -ne 0 ]; then
    status=1
    echo "$target: FAILED after ${execs:-?} executions (exit $rc); see $log"
    grep -E 'invariant broken|ERROR|SUMMARY' "$log" | head -5
  else
    echo "$target: ${execs:-?} executions in ${seconds}s, no crash"
  fi
done
exit $status
