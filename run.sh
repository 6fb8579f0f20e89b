#!/usr/bin/env bash
# The main job: score a contest log through the plug-in with tzq-replay.
# Installs what is missing (Debian 12, as root or with sudo) and builds
# first: the plug-in and the three tools (tzq-replay, tzq-check,
# tzq-loggen). Paths are taken from the folder you run it in, and the
# outputs (out/ unless --out says otherwise) land there too.
#   ./run.sh                        score the bundled sample log natively
#   ./run.sh LOG.adi [options]      score your own log (./run.sh x --help lists the options)
#   ./run.sh --windows [LOG] [...]  the same through Stats.dll under Wine
#   ./run.sh --package              build the release zip for Windows, print its path
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
sample=$root/examples/tzq-sample.adi

# Configures and builds a preset in the checkout, quietly unless it fails.
build() {
  local preset=$1 log
  shift
  log=$(mktemp "${TMPDIR:-/tmp}/tzq-build.XXXXXX")
  if [ ! -f "$root/build/$preset/build.ninja" ]; then
    echo "run.sh: building $*, about 2 minutes the first time" >&2
  fi
  if ! (cd "$root" && cmake --preset "$preset" && cmake --build --preset "$preset" --target "$@") \
    >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "run.sh: the build failed (output above)" >&2
    exit 1
  fi
  rm -f "$log"
}

if [ "${1:-}" = --package ]; then
  "$root/cmake/install-deps.sh" package
  build release package
  ls "$root"/build/release/TZQ-Stats-*-win32.zip
elif [ "${1:-}" = --windows ]; then
  shift
  "$root/cmake/install-deps.sh" all
  build win32 Stats tzq-replay
  # Native Wine where it runs; else the project's Wine lane, which must see
  # this folder (the first time, it takes about 8 minutes to set up).
  "$root/cmake/wine-lane.sh" setup "$PWD" >/dev/null
  wine_root=$root/build/win32/wine
  "$root/cmake/wine-env.sh" setup "$wine_root"
  trap '"$root/cmake/wine-env.sh" cleanup "$wine_root" >/dev/null 2>&1' EXIT
  [ $# -eq 0 ] && set -- "$sample"
  "$root/build/win32/wine-run.sh" "$root/build/win32/bin/tzq-replay.exe" "$@"
else
  "$root/cmake/install-deps.sh" native
  build native Stats tzq-replay tzq-check tzq-loggen
  [ $# -eq 0 ] && set -- "$sample"
  exec "$root/build/native/bin/tzq-replay" "$@"
fi
