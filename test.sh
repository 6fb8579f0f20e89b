#!/usr/bin/env bash
# Builds both targets and runs every test: native first, again under
# AddressSanitizer with UndefinedBehaviorSanitizer and under ThreadSanitizer,
# a minute of fuzzing per libFuzzer target, then the Windows DLL's tests
# under Wine and Xvfb. Installs what is missing
# first (Debian 12, as root or with sudo). Exits non-zero on any failure.
#   ./test.sh            everything
#   ./test.sh native     native build and tests only
set -euo pipefail
cd "$(dirname "$0")"
what=${1:-all}

if [ "$what" = native ]; then cmake/install-deps.sh native; else cmake/install-deps.sh all; fi

jobs=$(nproc 2>/dev/null || echo 2)
status=0

started=$SECONDS
stage() { echo "== [$((SECONDS - started)) s] $*"; }

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
  if ! wine --version >/dev/null 2>&1; then
    stage "This machine cannot run 32-bit programs: the DLL is built and its export table checked, but the tests under Wine are skipped"
  fi
  # The Wine tests hold one resource lock (shared prefix and display), so
  # only the native checks of this preset run beside them.
  run_preset win32
fi
# Nothing after the last ctest: its summary closes the output.
exit $status
