#!/usr/bin/env bash
# Builds the release of this source tree a second time, from scratch in a
# fresh folder whose name differs in length from the first build's, and
# requires the same zip from both, byte for byte: the DLL and programs in
# it, their sums, the file order and the dates. A build path that leaks into
# a binary shows up here, as does a link time or a file order. The first
# build is the one this test belongs to (itself made from scratch by a
# clean checkout's test run), so the release is built twice for the price
# of one more build.
# Usage: build_again.sh FIRST_BUILD_DIR SOURCE_DIR WORK_DIR
set -euo pipefail
first=$1
src=$2
work=$3
rm -rf "$work"
mkdir -p "$work"
second=$work/the-second-build

cmake --build "$first" --target package >"$work/first.log" 2>&1 || { cat "$work/first.log"; exit 1; }
cd "$src"
# Only what ships: the tests would double the time and prove nothing here.
cmake --preset release -B "$second" >"$work/second.log" 2>&1 || { cat "$work/second.log"; exit 1; }
nice cmake --build "$second" -j2 --target package >>"$work/second.log" 2>&1 ||
  { cat "$work/second.log"; exit 1; }

zips=("$first"/TZQ-Stats-*-win32.zip)
[ -f "${zips[0]}" ] || { echo "the first build made no zip" >&2; exit 1; }
name=$(basename "${zips[0]}")
if ! cmp -s "${zips[0]}" "$second/$name"; then
  echo "the two builds' zips differ: $name" >&2
  mkdir -p "$work/a" "$work/b"
  unzip -q "${zips[0]}" -d "$work/a" && unzip -q "$second/$name" -d "$work/b" &&
    diff -r "$work/a" "$work/b" >&2
  exit 1
fi
for file in "$second"/bin/*.dll "$second"/bin/*.exe; do
  [ -f "$file" ] || { echo "the second build made no $(basename "$file")" >&2; exit 1; }
done
echo "$name identical in both builds"
rm -rf "$work"
