#!/usr/bin/env bash
# Installs the system packages the builds and tests need, only when missing.
# Usage: cmake/install-deps.sh [native|all]
set -euo pipefail
want=${1:-all}

native_pkgs=(g++ cmake ninja-build googletest libgtest-dev libbenchmark-dev)
win_pkgs=(g++-mingw-w64-i686 wine wine32:i386 xvfb xauth fonts-wine imagemagick clang llvm libclang-rt-14-dev zip unzip)

missing=()
check() {
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
}
check "${native_pkgs[@]}"
if [ "$want" = all ]; then check "${win_pkgs[@]}"; fi
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
echo "Installing: ${missing[*]}" >&2
if [ "$want" = all ] && ! dpkg --print-foreign-architectures | grep -q i386; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q >/dev/null
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
