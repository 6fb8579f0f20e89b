#!/usr/bin/env bash
# ctest fixture for the Windows tests.
#   wine-env.sh setup ROOT   make (once) a 32-bit prefix under ROOT, start an
#                            Xvfb display and the wineserver
#   wine-env.sh cleanup ROOT stop the wineserver and the display
# Wine runs natively where it can, else in the project's Wine lane
# (wine-lane.sh); ROOT/path holds the folder that wine-run.sh puts in front
# of PATH for every program.
# Every output goes to a log file: a wineserver started with ctest's pipes
# open keeps ctest waiting for those pipes to close.
set -u
cmd=$1
root=$2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$root"
export WINEPREFIX="$root/prefix" WINEARCH=win32 WINEDEBUG=-all
log="$root/fixture.log"

start_display() {
  for n in $(seq 91 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >>"$log" 2>&1 </dev/null &
    echo $! >"$root/xvfb.pid"
    # Under emulation the server takes a few seconds to come up.
    for _ in $(seq 1 300); do
      [ -e "/tmp/.X11-unix/X$n" ] && { echo ":$n" >"$root/display"; return 0; }
      kill -0 "$(cat "$root/xvfb.pid")" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "no display could be started" >&2
  return 1
}

# Where neither native Wine nor the lane can run, the marker file tells
# wine-run.sh to say so, and ctest shows those tests as skipped, not as
# failures (the reason holds "cannot run 32-bit programs").
unavailable="$root/unavailable"

case "$cmd" in
setup)
  rm -f "$unavailable" "$root/path"
  if ! lane=$("$here/wine-lane.sh" path "$(cd "$here/.." && pwd)" "$root" 2>"$unavailable"); then
    sed -i 's/^wine-lane: /Windows tests skipped: /' "$unavailable"
    cat "$unavailable"
    exit 0
  fi
  rm -f "$unavailable"
  echo "$lane" >"$root/path"
  [ -n "$lane" ] && export PATH="$lane:$PATH"
  if [ ! -f "$root/prefix/.tzq-ready" ]; then
    rm -rf "$root/prefix"
    wineboot -i >>"$log" 2>&1 </dev/null
    wineserver -w
    # No window manager under Xvfb: let Wine draw the frames itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$log" 2>&1 </dev/null
    # A crash must end the test, not open an invisible debugger dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$log" 2>&1 </dev/null
    cp /usr/share/wine/fonts/* "$root/prefix/drive_c/windows/Fonts/" 2>>"$log" ||
      wine cmd /c "copy Z:\\usr\\share\\wine\\fonts\\* C:\\windows\\Fonts\\" >>"$log" 2>&1 </dev/null
    wineserver -w
    touch "$root/prefix/.tzq-ready"
  fi
  if [ ! -f "$root/display" ] || ! kill -0 "$(cat "$root/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
    start_display || exit 1
  fi
  wineserver -p </dev/null >>"$log" 2>&1
  DISPLAY=$(cat "$root/display") wine cmd /c exit </dev/null >>"$log" 2>&1
  exit 0
  ;;
cleanup)
  lane=$(cat "$root/path" 2>/dev/null)
  [ -n "$lane" ] && export PATH="$lane:$PATH"
  wineserver -k </dev/null >>"$log" 2>&1
  if [ -f "$root/xvfb.pid" ]; then
    kill "$(cat "$root/xvfb.pid")" 2>/dev/null
    rm -f "$root/xvfb.pid" "$root/display"
  fi
  exit 0
  ;;
esac
echo "usage: wine-env.sh setup|cleanup ROOT" >&2
exit 2
