#!/usr/bin/env bash
# Builds both targets and runs every test: native first, again under
# AddressSanitizer with UndefinedBehaviorSanitizer and under ThreadSanitizer,
# 20 seconds of fuzzing per libFuzzer target, then the Windows DLL's tests
# under Wine and Xvfb. Installs what is missing first (Debian 12, as root or
# with sudo). Exits non-zero on any failure.
#
# Wine runs natively where this machine can run 32-bit programs and has
# Wine for them; elsewhere (a kernel that runs 64-bit code only, or no
# installable wine32) the Windows tests run in the project's 32-bit Wine
# lane, built once per machine into /var/cache/tzq-wine-lane (about 8
# minutes, in the background while the native stages run; see
# cmake/wine-lane.sh). They are skipped only where neither can work.
#   ./test.sh            everything
#   ./test.sh native     native build and tests only
set -euo pipefail
cd "$(dirname "$0")"
what=${1:-all}

started=$SECONDS
stage() { echo "== [$((SECONDS - started)) s] $*"; }

if [ "$what" = native ]; then cmake/install-deps.sh native; else cmake/install-deps.sh all; fi

jobs=$(nproc 2>/dev/null || echo 2)
status=0

lane_pid=""
if [ "$what" != native ]; then
  mkdir -p build
  lane_log=build/wine-lane.log
  # Nothing to do where native Wine runs; otherwise the lane is built (or
  # checked, when cached) beside the native stages.
  cmake/wine-lane.sh setup "$PWD" >"$lane_log" 2>&1 </dev/null &
  lane_pid=$!
fi

run_preset() {
  local preset=$1 test_jobs=${2:-$jobs}
  stage "Building preset $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  stage "Testing preset $preset"
  ctest --preset "$preset" -j "$test_jobs" || status=1
}

run_preset native
if [ "$what" != native ]; then
  run_preset sanitize
  # ThreadSanitizer only has something to say where threads meet: the
  # window thread's tests and the stress test.
  stage "Building preset tsan (threaded tests)"
  cmake --preset tsan >/dev/null
  cmake --build --preset tsan -j "$jobs" --target tzq_ui_tests tzq_stress_tests
  stage "Testing preset tsan"
  ctest --preset tsan -j "$jobs" -L threads || status=1
  stage "Fuzzing each target for 20 seconds"
  tools/fuzz.sh 20 || status=1

  lane_status=0
  wait "$lane_pid" || lane_status=$?
  lane_said=$({ grep -v -e '^/' -e '^$' "$lane_log" || true; } | tail -1 | sed 's/^wine-lane: //')
  case "$lane_status" in
  0) stage "Windows tests run under $(cmake/wine-lane.sh status)" ;;
  3) stage "Windows tests skipped: $lane_said" ;;
  *)
    stage "The Wine lane could not be set up: $lane_said (log: $lane_log)"
    status=1
    ;;
  esac
  # The Wine tests hold one resource lock (shared prefix and display), so
  # only the native checks of this preset run beside them.
  run_preset win32
fi
# Nothing after the last ctest: its summary closes the output.
exit $status
