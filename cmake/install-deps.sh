#!/usr/bin/env bash
# Installs the system packages the builds and tests need, only when missing.
# Usage: cmake/install-deps.sh [native|package|all|lane]
#   native   the Linux build and its tests
#   package  the Windows release zip (cross compiler and zip; no Wine)
#   all      both builds and every test: Wine itself where this machine runs
#            32-bit programs, else what the project's Wine lane needs
#   lane     what cmake/wine-lane.sh needs to build its root
set -euo pipefail
want=${1:-all}
here=$(cd "$(dirname "$0")" && pwd)

native_pkgs=(g++ cmake ninja-build googletest libgtest-dev libbenchmark-dev)
package_pkgs=(cmake ninja-build g++-mingw-w64-i686 zip)
cross_pkgs=(g++-mingw-w64-i686 clang llvm libclang-rt-14-dev zip unzip imagemagick)
# Wine for 32-bit programs needs the machine's i386 architecture: tried only
# where the kernel itself runs 32-bit code, and not required even there.
# Where it cannot be had, the Windows tests go through the project's own
# Wine lane (cmake/wine-lane.sh), which brings its own Wine.
wine_pkgs=(wine wine32:i386 xvfb xauth fonts-wine)
lane_pkgs=(debootstrap)

case "$want" in
native) wanted=("${native_pkgs[@]}") ;;
package) wanted=("${package_pkgs[@]}") ;;
lane) wanted=("${lane_pkgs[@]}") ;;
all) wanted=("${native_pkgs[@]}" "${cross_pkgs[@]}") ;;
*)
  echo "usage: install-deps.sh [native|package|all|lane]" >&2
  exit 2
  ;;
esac

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp "${TMPDIR:-/tmp}/install-deps.XXXXXX")
trap 'rm -f "$log"' EXIT

missing_of() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

first_error() { grep -m1 -E '^(E|W):' "$log" || tail -1 "$log"; }

# A mirror in the middle of a sync fails one index or another for a while.
# Each attempt refreshes what it can; the install decides whether what was
# read is enough, so a failing index of a suite or architecture these
# packages do not come from stops nothing. Pauses: the given seconds.
update() {
  local pause
  for pause in "$@" 0; do
    $sudo apt-get update -q >"$log" 2>&1 && return 0
    [ "$pause" -gt 0 ] || break
    echo "install-deps: apt-get update failed ($(first_error)); retrying in $pause s" >&2
    sleep "$pause"
  done
  echo "install-deps: some package indexes could not be read ($(first_error)); trying the install with what was read" >&2
  return 1
}

# Retried only when a download failed: unmet dependencies stay unmet.
install() {
  local pause
  for pause in 10 30 0; do
    $sudo apt-get install -y -q --no-install-recommends "$@" >"$log" 2>&1 && return 0
    [ "$pause" -gt 0 ] && grep -q -E 'Failed to fetch|Temporary failure|Could not connect' "$log" || break
    sleep "$pause"
  done
  return 1
}

mapfile -t missing < <(missing_of "${wanted[@]}")
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}" >&2
  update 10 30 60 || true
  if ! install "${missing[@]}"; then
    echo "install-deps: could not install ${missing[*]}: $(grep -m1 -E '^E:' "$log" || tail -1 "$log"). Check the network and /etc/apt/sources.list, then run this again (a mirror in the middle of a sync recovers within hours)." >&2
    exit 1
  fi
fi

[ "$want" = all ] || exit 0
command -v wine >/dev/null 2>&1 && wine --version </dev/null >/dev/null 2>&1 && exit 0
# A lane already built serves; a kernel without 32-bit code needs it.
"$here/wine-lane.sh" built && exit 0
"$here/wine-lane.sh" runs-32-bit || exit 0
mapfile -t missing < <(missing_of "${wine_pkgs[@]}")
[ ${#missing[@]} -gt 0 ] || exit 0
echo "install-deps: installing Wine for 32-bit programs: ${missing[*]}" >&2
added_i386=no
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  added_i386=yes
fi
update 10 || true
install "${missing[@]}" && exit 0
reason=$(grep -m1 -E '^E:' "$log" || tail -1 "$log")
# A half-working i386 architecture would make every later apt-get update
# fail on its indexes: take it back when nothing of it got installed.
if [ "$added_i386" = yes ] && [ -z "$(dpkg-query -W -f='${Architecture}\n' 2>/dev/null | grep -x i386)" ]; then
  $sudo dpkg --remove-architecture i386 || true
  $sudo apt-get update -q >/dev/null 2>&1 || true
fi
echo "install-deps: Wine for 32-bit programs could not be installed ($reason); the Windows tests will use the project's Wine lane instead" >&2
exit 0
