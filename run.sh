#!/usr/bin/env bash
# The main job: score a contest log through the plug-in with tzq-replay.
# Installs what is missing (Debian 12, as root or with sudo) and builds first.
#   ./run.sh                        score the bundled sample log natively
#   ./run.sh LOG.adi [options]      score your own log (./run.sh x --help lists the options)
#   ./run.sh --windows [LOG] [...]  the same through Stats.dll under Wine
#   ./run.sh --package              build the release zip for Windows, print its path
set -euo pipefail
cd "$(dirname "$0")"
sample=examples/tzq-sample.adi

if [ "${1:-}" = --package ]; then
  cmake/install-deps.sh all
  cmake --preset release >/dev/null
  cmake --build --preset release --target package >/dev/null
  ls "$PWD"/build/release/TZQ-Stats-*-win32.zip
elif [ "${1:-}" = --windows ]; then
  shift
  cmake/install-deps.sh all
  cmake --preset win32 >/dev/null
  cmake --build --preset win32 --target tzq-replay >/dev/null
  cmake/wine-env.sh setup build/win32/wine
  trap 'cmake/wine-env.sh cleanup build/win32/wine >/dev/null 2>&1' EXIT
  [ $# -eq 0 ] && set -- "$sample"
  build/win32/wine-run.sh build/win32/bin/tzq-replay.exe "$@"
else
  cmake/install-deps.sh native
  cmake --preset native >/dev/null
  cmake --build --preset native --target tzq-replay >/dev/null
  [ $# -eq 0 ] && set -- "$sample"
  exec build/native/bin/tzq-replay "$@"
fi
