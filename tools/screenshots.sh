#!/usr/bin/env bash
# Pictures of the plug-in's windows for the documentation: runs the DLL in
# a small test host (tzq_screenshot_host) under Wine on an Xvfb display, one
# scene at a time, and crops each window from the screen into docs/images/.
#   tools/screenshots.sh [BUILD_DIR]    default build/win32 (configured and
#                                       built when needed)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/win32}
[ -f "$build/build.ninja" ] || cmake --preset win32 -B "$build" | tail -n 3
cmake --build "$build" --target tzq_screenshot_host -j 2 | tail -n 3

# A prefix and display of our own, so that a test run in the same build
# tree keeps its own.
root=$PWD/$build/wine-shots
cmake/wine-env.sh setup "$root"
trap 'cmake/wine-env.sh cleanup "$root"' EXIT
display=$(cat "$root/display")
export WINEPREFIX=$root/prefix WINEARCH=win32 WINEDEBUG=-all DISPLAY=$display

out=$PWD/docs/images
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"; cmake/wine-env.sh cleanup "$root"' EXIT

for scene in settings area-grid previous-qso idle-panel cabrillo; do
  wine "$build/bin/tzq_screenshot_host.exe" "$scene" "Z:$work" </dev/null >"$work/$scene.log" 2>&1 &
  host=$!
  for _ in $(seq 1 300); do
    [ -s "$work/$scene.rect" ] && break
    kill -0 "$host" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$work/$scene.rect" ]; then
    echo "screenshots: no window for $scene" >&2
    cat "$work/$scene.log" >&2
    exit 1
  fi
  sleep 0.5  # let the last repaint reach the screen
  read -r x y w h <"$work/$scene.rect"
  import -display "$display" -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$scene.png"
  touch "$work/$scene.done"
  wait "$host" || { echo "screenshots: host failed for $scene" >&2; cat "$work/$scene.log" >&2; exit 1; }
  echo "docs/images/$scene.png"
done
