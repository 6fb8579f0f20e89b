#!/usr/bin/env bash
# Checks the release zip the way an operator meets it: unpacked into a
# Wine prefix of its own that nothing else has touched, with tzq-replay.exe
# started from the unpacked folder on the unpacked sample. Its report and
# bad-QSO file must be the native build's golden files.
# Usage: check_zip.sh BUILD_DIR SOURCE_DIR VERSION WORK_DIR [PROGRAM.exe...]
#   (the programs the zip holds besides tzq-replay.exe)
set -uo pipefail
build=$1
src=$2
version=$3
work=$4
shift 4
name=TZQ-Stats-$version-win32
zip=$build/$name.zip
golden=$src/tests/replay/golden

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

rm -rf "$work"
mkdir -p "$work"
cmake --build "$build" --target package >"$work/package.log" 2>&1 || { cat "$work/package.log"; exit 1; }
[ -f "$zip" ] || { echo "no $zip" >&2; exit 1; }

mkdir -p "$work/unpacked"
unzip -q "$zip" -d "$work/unpacked" || { echo "unzip failed" >&2; exit 1; }
folder=$work/unpacked/$name
[ -d "$folder" ] || { echo "the zip has no folder $name" >&2; exit 1; }
cd "$folder" || exit 1

expected="README.txt SHA256SUMS.txt Stats.dll tzq-replay.exe tzq-sample.adi $*"
listed=$(ls | LC_ALL=C sort | tr '\n' ' ')
wanted=$(echo $expected | tr ' ' '\n' | LC_ALL=C sort | tr '\n' ' ')
[ "$listed" = "$wanted" ] || fail "the folder holds '$listed', expected '$wanted'"

# Every binary has its line, and every line is right.
binaries=$(ls *.dll *.exe | LC_ALL=C sort | tr '\n' ' ')
summed=$(sed 's/^[0-9a-f]\{64\}  //' SHA256SUMS.txt | LC_ALL=C sort | tr '\n' ' ')
[ "$binaries" = "$summed" ] || fail "SHA256SUMS.txt lists '$summed', the binaries are '$binaries'"
sha256sum --quiet -c SHA256SUMS.txt >&2 || fail "SHA256SUMS.txt does not match the files"

lines=$(tr -cd '\n' <README.txt | wc -c)
crlf=$(grep -c $'\r$' README.txt)
[ "$lines" -gt 20 ] && [ "$lines" -eq "$crlf" ] ||
  fail "README.txt: $crlf of $lines lines end in CR LF"
grep -qF "$version" README.txt || fail "README.txt does not name version $version"
# Every program is listed, and shown at work on a command line.
for program in tzq-replay.exe "$@"; do
  grep -qE "^  $program +[a-z]" README.txt || fail "README.txt does not list $program"
  grep -qE "^  $program [A-Za-z]:?[^ ]" README.txt || fail "README.txt shows no use of $program"
done

# The version resource's fixed part (after its signature FEEF04BD) holds the
# file version as major, minor in one word and patch in the next.
offset=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' Stats.dll | head -1 | cut -d: -f1)
if [ -z "$offset" ]; then
  fail "Stats.dll has no version resource"
else
  read -r minor major _ patch < <(od -An -tu2 -j $((offset + 8)) -N 8 Stats.dll)
  [ "$major.$minor.$patch" = "$version" ] ||
    fail "Stats.dll's version resource says $major.$minor.$patch, expected $version"
fi

# The rest needs Wine, natively or through the project's lane. Where
# neither can run, the checks above still count; the test is then reported
# as skipped.
if ! lane=$("$src/cmake/wine-lane.sh" path "$work" 2>"$work/lane.txt"); then
  [ "$failures" -eq 0 ] || exit 1
  echo "Windows tests skipped: $(sed 's/^wine-lane: //' "$work/lane.txt"), so the unpacked zip was not run under Wine"
  exit 0
fi
[ -n "$lane" ] && PATH=$lane:$PATH
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all
unset DISPLAY
# Every stream to a file, and one persistent wineserver started with them:
# a server that a later wine started would hold that program's pipes (the
# output captured below, or ctest's) open until it exits.
{ wineboot -i && wineserver -w && wineserver -p; } </dev/null >>"$work/wine.log" 2>&1 ||
  fail "no Wine prefix could be made: $(tail -1 "$work/wine.log")"
trap 'wineserver -k </dev/null >/dev/null 2>&1' EXIT
mkdir -p "$WINEPREFIX/drive_c"
cp -r "$folder" "$WINEPREFIX/drive_c/" || exit 1
cd "$WINEPREFIX/drive_c/$name" || exit 1

out=$(wine tzq-replay.exe --version </dev/null 2>>"$work/wine.log" | tr -d '\r')
[ "$out" = "tzq-replay $version" ] || fail "tzq-replay.exe --version printed '$out'"

wine tzq-replay.exe tzq-sample.adi </dev/null >"$work/report.txt" 2>"$work/stderr.txt"
status=$?
[ "$status" -eq 0 ] || fail "tzq-replay.exe exited with $status: $(cat "$work/stderr.txt")"
cmp -s "$work/report.txt" "$golden/sample-report.txt" ||
  fail "the report differs from the native build's (see $work/report.txt)"
cmp -s out/BadQSO_StatsTZQ_09_06_2024.txt "$golden/BadQSO_StatsTZQ_09_06_2024.txt" ||
  fail "the bad-QSO file differs from the native build's"

[ "$failures" -eq 0 ] || exit 1
echo "zip checked: $listed"
