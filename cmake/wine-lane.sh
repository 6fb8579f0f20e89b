#!/usr/bin/env bash
# A 32-bit lane for Wine on machines whose kernel runs 64-bit code only
# (IA-32 emulation off: every i386 ELF, Wine's own loader included, fails
# with "Exec format error").
#
# The lane is an i386 Debian 12 root holding Wine and Xvfb, with every i386
# ELF handed to a static qemu-i386 (user-mode emulation) through
# binfmt_misc. Commands named wine, wineboot, wineserver and Xvfb in the
# lane's bin folder run their namesakes inside that root, in the caller's
# current folder, with the caller's environment, streams and exit status.
# /proc, /sys, /dev, /tmp and the given folders are bind-mounted at their own
# paths inside the root, so a path means the same inside and out (Wine's
# drive Z: included) and an Xvfb socket made inside is seen outside.
#
#   wine-lane.sh setup [DIR...]  as root: build the lane once (about 8
#                                minutes, cached), make it ready to run,
#                                let it see DIR...; prints what `path`
#                                prints (nothing to do where native Wine
#                                runs)
#   wine-lane.sh path [DIR...]   the folder to put in front of PATH for
#                                `wine`: empty where native Wine runs, else
#                                the lane's bin folder (a built lane is made
#                                ready, cheaply); exit 1 saying why neither
#                                can run. TZQ_WINE=lane or native forces one.
#   wine-lane.sh status          say whether native Wine, the lane, or
#                                neither can run here; exit 0 if one can
#   wine-lane.sh runs-32-bit     exit 0 if the kernel itself runs i386 code
#   wine-lane.sh built           exit 0 if the lane is built in the cache
#   wine-lane.sh remove          stop the lane's programs, unmount and
#                                delete the cache
# Exit status: 0 done, 1 failed (a set-up may work when tried again), 2 bad
# usage, 3 neither native Wine nor the lane can work on this machine.
#
# The cache lives in $TZQ_WINE_LANE (default /var/cache/tzq-wine-lane), out
# of any work tree, so every checkout and later run on the machine shares it.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
project=$(cd "$here/.." && pwd)
cache=${TZQ_WINE_LANE:-/var/cache/tzq-wine-lane}
root=$cache/root
bin=$cache/bin
qemu=$cache/qemu-i386
binfmt=/proc/sys/fs/binfmt_misc
entry=tzq-i386
# Bump when the root's contents change, so cached lanes are rebuilt.
lane_version=1
ready_marker=$root/.tzq-lane-ready
packages=(wine wine32 xvfb xauth fonts-wine)

# The words the test scripts look for to report a skip rather than a failure.
kCannot="this machine cannot run 32-bit programs"

say() { echo "wine-lane: $*" >&2; }
die() {
  say "$*"
  exit 1
}
# Exit status 3: the lane cannot work on this machine at all (as opposed to
# a set-up that failed and may work when tried again).
cannot() {
  say "$*"
  exit 3
}

# Apt and the mirror may fail for a while: try a few times with a pause.
retry() {
  local attempt
  for attempt in 1 2 3 4; do
    "$@" && return 0
    [ "$attempt" -lt 4 ] && { say "attempt $attempt failed, retrying in $((attempt * 10)) s: $*"; sleep $((attempt * 10)); }
  done
  return 1
}

# The address of the machine's own Debian archive (never written down here).
archive() {
  apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 2>/dev/null |
    awk '$2 == "bookworm" || $2 == "bookworm-updates" { print $1; exit }'
}

native_wine_runs() { command -v wine >/dev/null 2>&1 && wine --version </dev/null >/dev/null 2>&1; }

why_not() {
  [ "$(id -u)" -eq 0 ] || { echo "the lane needs root (chroot, mounts, binfmt_misc)"; return; }
  [ -d "$binfmt" ] || { echo "this kernel has no binfmt_misc"; return; }
  echo ""
}

ensure_binfmt() {
  if [ ! -e "$binfmt/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
      die "binfmt_misc cannot be mounted at $binfmt"
  fi
  if [ -e "$binfmt/$entry" ]; then
    if grep -qx enabled "$binfmt/$entry" && grep -qx "interpreter $qemu" "$binfmt/$entry"; then
      return 0
    fi
    echo -1 >"$binfmt/$entry"
  fi
  # The i386 ELF header (executables and shared objects); flag F opens the
  # interpreter now, so it runs inside the root where its path is absent.
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  printf '%s' ":$entry:M::$magic:$mask:$qemu:OCF" >"$binfmt/register" ||
    die "binfmt_misc refused the i386 entry"
}

# qemu 10 from bookworm-backports: Debian 12's own qemu 7.2 needs about a
# minute of CPU per Wine process, and wineboot never finishes under it.
fetch_qemu() {
  if [ -x "$qemu" ] && "$qemu" --version 2>/dev/null | grep -q 'version \(1[0-9]\|[2-9][0-9]\)\.'; then
    return 0
  fi
  local uri work
  uri=$(archive)
  [ -n "$uri" ] || die "no Debian bookworm archive in this machine's apt configuration"
  work=$(mktemp -d "$cache/qemu.XXXXXX")
  mkdir -p "$work/lists/partial" "$work/cache/archives/partial"
  echo "deb $uri bookworm-backports main" >"$work/sources.list"
  # A private source list and lists folder: the machine's own apt setup stays
  # as it is.
  local opts=(-q -o "Dir::Etc::sourcelist=$work/sources.list" -o Dir::Etc::sourceparts=-
    -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache" -o APT::Sandbox::User=root)
  retry apt-get "${opts[@]}" update >/dev/null ||
    die "cannot read bookworm-backports from $uri (apt-get update failed); try again later"
  (cd "$work" && retry apt-get "${opts[@]}" download qemu-user >/dev/null) ||
    die "cannot download qemu-user from bookworm-backports; try again later"
  dpkg-deb -x "$work"/qemu-user_*.deb "$work/unpacked"
  install -m 755 "$work/unpacked/usr/bin/qemu-i386" "$qemu.new"
  mv -f "$qemu.new" "$qemu"
  rm -rf "$work"
}

# A 93-byte i386 program that exits 0. One padding byte of its ELF header
# is set, which the kernel ignores but every qemu binfmt_misc entry's mask
# rejects, so only the kernel itself can run it.
runs_32_bit() {
  local probe rc=0
  probe=$(mktemp "${TMPDIR:-/tmp}/ia32-probe.XXXXXX")
  local header='\177ELF\1\1\1\0\0\0\0\0\0\0\0\1\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0'
  header+='\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0'
  local segment='\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\135\0\0\0\135\0\0\0\5\0\0\0\0\20\0\0'
  local exit0='\270\1\0\0\0\61\333\315\200' # mov eax, 1; xor ebx, ebx; int 0x80
  printf "$header$segment$exit0" >"$probe"
  chmod 700 "$probe"
  "$probe" 2>/dev/null || rc=1
  rm -f "$probe"
  return $rc
}

is_mounted() { mountpoint -q "$1" 2>/dev/null; }

unmount_under() {
  local dir=$1 m
  # Deepest first; lazy, so a stray process holding a file does not block.
  for m in $(findmnt -rn -o TARGET | grep -E "^$dir(/|$)" | sort -r); do
    umount -l "$m" 2>/dev/null || true
  done
}

# Makes DIR visible at its own path inside the root (already visible when
# the same inode answers inside).
show_dir() {
  local dir=$1 inside
  dir=$(cd "$dir" && pwd -P)
  inside=$root$dir
  if [ -e "$inside" ] && [ "$(stat -c %d:%i "$dir")" = "$(stat -c %d:%i "$inside" 2>/dev/null)" ]; then
    return 0
  fi
  case "$dir" in
  / | /usr | /usr/* | /etc | /etc/* | /bin | /bin/* | /sbin | /sbin/* | /lib | /lib/* | /lib32 | /lib64 | \
    /var | /var/lib | /var/lib/dpkg | /var/lib/dpkg/* | /var/lib/apt | /var/lib/apt/* | /var/cache | \
    "$cache" | "$cache"/*)
    die "$dir cannot be shown inside the lane (it would hide the lane's own files)"
    ;;
  esac
  mkdir -p "$inside"
  mount --bind "$dir" "$inside"
}

ensure_mounts() {
  local target=$1
  is_mounted "$target/proc" || mount -t proc proc "$target/proc"
  is_mounted "$target/sys" || { mount --rbind /sys "$target/sys" && mount --make-rslave "$target/sys"; }
  is_mounted "$target/dev" || { mount --rbind /dev "$target/dev" && mount --make-rslave "$target/dev"; }
}

ensure_ready() {
  ensure_binfmt
  ensure_mounts "$root"
  is_mounted "$root/tmp" || mount --bind /tmp "$root/tmp"
  local dir
  for dir in "$project" "$@"; do show_dir "$dir"; done
  write_wrappers
}

write_wrappers() {
  [ -x "$bin/lane-exec" ] && grep -qF "root=$root" "$bin/lane-exec" && return 0
  mkdir -p "$bin"
  cat >"$bin/lane-exec.new" <<EOF
#!/bin/sh
# Runs its namesake inside the Wine lane's i386 root, in the caller's folder.
root=$root
EOF
  cat >>"$bin/lane-exec.new" <<'EOF'
name=${0##*/}
if [ ! -d "$root$PWD" ]; then
  echo "wine-lane: $PWD is not visible inside the lane; run cmake/wine-lane.sh path $PWD" >&2
  exit 126
fi
exec chroot "$root" /bin/sh -c 'cd "$1" && shift && exec "$@"' lane "$PWD" "/usr/bin/$name" "$@"
EOF
  chmod 755 "$bin/lane-exec.new"
  mv -f "$bin/lane-exec.new" "$bin/lane-exec"
  local name
  for name in wine wineboot wineserver Xvfb; do ln -sfn lane-exec "$bin/$name"; done
}

build_root() {
  local uri new=$cache/root.new
  uri=$(archive)
  [ -n "$uri" ] || die "no Debian bookworm archive in this machine's apt configuration"
  "$here/install-deps.sh" lane
  unmount_under "$new"
  rm -rf --one-file-system "$new"
  say "building the i386 root (debootstrap, about 5 minutes)"
  retry debootstrap --arch=i386 --variant=minbase bookworm "$new" "$uri" >"$cache/debootstrap.log" 2>&1 || {
    unmount_under "$new"
    die "debootstrap failed (see $cache/debootstrap.log); try again later"
  }
  cp /etc/resolv.conf "$new/etc/resolv.conf"
  ensure_mounts "$new"
  say "installing Wine and Xvfb inside it (about 3 minutes)"
  # The archive may be a dated snapshot whose Release files have expired.
  local apt=(chroot "$new" env DEBIAN_FRONTEND=noninteractive apt-get -q
    -o Acquire::Check-Valid-Until=false -o Acquire::Check-Date=false)
  if ! retry "${apt[@]}" update >>"$cache/debootstrap.log" 2>&1 ||
    ! retry "${apt[@]}" install -y --no-install-recommends "${packages[@]}" >>"$cache/debootstrap.log" 2>&1; then
    unmount_under "$new"
    die "installing Wine inside the lane failed (see $cache/debootstrap.log); try again later"
  fi
  "${apt[@]}" clean >/dev/null 2>&1 || true
  unmount_under "$new"
  echo "$lane_version" >"$new/.tzq-lane-ready"
  if [ -d "$root" ]; then
    unmount_under "$root"
    rm -rf --one-file-system "$root"
  fi
  mv "$new" "$root"
}

lane_built() { [ -f "$ready_marker" ] && [ "$(cat "$ready_marker")" = "$lane_version" ]; }

cmd=${1:-}
shift || true
case "$cmd" in
setup)
  if [ "${TZQ_WINE:-}" != lane ] && native_wine_runs; then
    say "native Wine runs here; no lane needed"
    echo ""
    exit 0
  fi
  reason=$(why_not)
  [ -z "$reason" ] || cannot "$kCannot natively and $reason"
  mkdir -p "$cache"
  exec 9>"$cache/lock"
  flock 9
  if ! lane_built; then
    started=$SECONDS
    say "setting up the 32-bit Wine lane in $cache (once per machine, about 8 minutes)"
    fetch_qemu
    ensure_binfmt
    build_root
    say "lane ready after $((SECONDS - started)) s"
  fi
  ensure_ready "$@"
  echo "$bin"
  ;;
path)
  # Native Wine, where it runs, is used as it is: nothing to put in front.
  if [ "${TZQ_WINE:-}" != lane ] && native_wine_runs; then
    echo ""
    exit 0
  fi
  [ "${TZQ_WINE:-}" != native ] || cannot "$kCannot, and TZQ_WINE=native asks for native Wine"
  reason=$(why_not)
  [ -z "$reason" ] || cannot "$kCannot natively and $reason"
  lane_built || die "$kCannot natively and the Wine lane is not set up (cmake/wine-lane.sh setup)"
  exec 9>"$cache/lock"
  flock 9
  ensure_ready "$@"
  echo "$bin"
  ;;
runs-32-bit)
  runs_32_bit
  ;;
built)
  lane_built
  ;;
status)
  if [ "${TZQ_WINE:-}" != lane ] && native_wine_runs; then
    echo "native Wine"
  elif lane_built && [ -z "$(why_not)" ]; then
    echo "the 32-bit lane in $cache (qemu-i386 user-mode emulation)"
  elif [ -n "$(why_not)" ]; then
    echo "neither: this machine cannot run 32-bit programs and $(why_not)"
    exit 1
  else
    echo "the 32-bit lane, not set up yet (cmake/wine-lane.sh setup)"
    exit 1
  fi
  ;;
remove)
  [ -d "$cache" ] || exit 0
  if [ -x "$bin/wineserver" ]; then "$bin/wineserver" -k >/dev/null 2>&1 || true; fi
  unmount_under "$cache"
  # Nothing may stay mounted below the cache before it is deleted: a bound
  # work tree would be deleted with it.
  if findmnt -rn -o TARGET | grep -qE "^$cache(/|$)"; then
    die "something is still mounted below $cache; not deleting it"
  fi
  [ -e "$binfmt/$entry" ] && echo -1 >"$binfmt/$entry"
  rm -rf --one-file-system "$cache"
  say "removed $cache"
  ;;
*)
  echo "usage: wine-lane.sh setup|path [DIR...] | status | runs-32-bit | built | remove" >&2
  exit 2
  ;;
esac
