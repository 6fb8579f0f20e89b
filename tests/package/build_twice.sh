#!/usr/bin/env bash
# Builds the release of this source tree in two fresh folders, one after the
# other, and requires the same bytes from both: the DLL, every program and
# the zip. The folders differ in name and length, so a build path that leaks
# into a binary shows up here, as does a link time or a file order.
# Usage: build_twice.sh SOURCE_DIR WORK_DIR
set -euo pipefail
src=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
builds=("$work/first" "$work/the-second-build")

cd "$src"
for dir in "${builds[@]}"; do
  # Only what ships: the tests would double the time and prove nothing here.
  cmake --preset release -B "$dir" >"$dir.log" 2>&1 ||
    { cat "$dir.log"; exit 1; }
  nice cmake --build "$dir" -j2 --target package >>"$dir.log" 2>&1 || { cat "$dir.log"; exit 1; }
done

a=${builds[0]}
b=${builds[1]}
compared=0
failed=0
for file in "$a"/bin/*.dll "$a"/bin/*.exe "$a"/TZQ-Stats-*-win32.zip; do
  other=$b/${file#"$a"/}
  compared=$((compared + 1))
  if ! cmp -s "$file" "$other"; then
    echo "differs between the two builds: ${file#"$a"/}" >&2
    failed=1
  fi
done
# Stats.dll, tzq-replay.exe, tzq-loggen.exe and the zip at the least.
if [ "$compared" -lt 4 ]; then
  echo "only $compared files were built" >&2
  failed=1
fi
[ "$failed" -eq 0 ] || exit 1
echo "$compared files identical"
rm -rf "$work"
