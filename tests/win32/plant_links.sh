#!/bin/sh
# ctest fixture: plants Unix symbolic links where the DLL could make its
# temporary file beside work/log.txt (the old fixed name and the first two
# names of the test's bits), all pointing at outside/victim.txt, and one,
# badqso/planted, that the bad-QSO test moves to the bad-QSO file's name
# between two adds. A Windows program under Wine cannot make such links
# itself.
set -e
dir=$1
rm -rf "$dir"
mkdir -p "$dir/work" "$dir/outside" "$dir/badqso/Plugins"
printf "not the plug-in's\r\n" >"$dir/outside/victim.txt"
printf 'old\r\n' >"$dir/work/log.txt"
for name in log.txt.new log.txt.LAAAAA log.txt.MAAAAA; do
  ln -s "$dir/outside/victim.txt" "$dir/work/$name"
done
ln -s "$dir/outside/victim.txt" "$dir/badqso/planted"
