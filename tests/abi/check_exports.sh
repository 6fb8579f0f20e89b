#!/usr/bin/env bash
# Checks the built plug-in's export table against an independent oracle: the
# names that the Microsoft name decoration gives the entry points' C++
# declarations, as clang computes them for i686-pc-windows-msvc.
#   check_exports.sh dll PATH/Stats.dll PLAIN_NAMES  (objdump; also checks the imports)
#   check_exports.sh so  PATH/Stats.so  PLAIN_NAMES  (nm; decorated names in ELF spelling)
# PLAIN_NAMES: the plain aliases, one a line, as the build made them from
# plugin/exports.list.
set -euo pipefail
kind=$1
lib=$2
plain_file=$3
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }

oracle=$(clang++ --target=i686-pc-windows-msvc -S -emit-llvm -o - "$here/msvc_declarations.cpp" |
  grep -o '^declare[^(]*@"?[^"]*"' | grep -o '"?[^"]*"' | tr -d '"' | sort)
[ "$(echo "$oracle" | wc -l)" -eq 12 ] || fail "oracle produced $(echo "$oracle" | wc -l) names"
# Every oracle name must demangle as a cdecl global function.
while read -r name; do
  demangled=$(llvm-undname "$name")
  [[ "$demangled" == *__cdecl* ]] || fail "$name is not cdecl"
done <<<"$oracle"

plain=$(sort "$plain_file")
[ "$(echo "$plain" | wc -l)" -eq 11 ] || fail "expected 11 plain aliases in $plain_file"

case "$kind" in
dll)
  table=$(i686-w64-mingw32-objdump -p "$lib" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\s*\[ *[0-9]*\] //p')
  imports=$(i686-w64-mingw32-objdump -p "$lib" | sed -n 's/^\s*DLL Name: //p')
  allowed='^(KERNEL32|USER32|GDI32|ole32|OLEAUT32|VERSION|msvcrt|ADVAPI32|COMCTL32|SHELL32)\.dll$'
  while read -r dll; do
    echo "$dll" | grep -Eiq "$allowed" || fail "imports a non-system DLL: $dll"
  done <<<"$imports"
  decorated=$(echo "$table" | grep '^?' | sort)
  ;;
so)
  table=$(nm -D --defined-only "$lib" | awk '{print $3}')
  decorated=$(echo "$table" | grep '^\$Q' | sed 's/\$\$/\x01/g; s/\$Q/?/g; s/\$A/@/g; s/\x01/$/g' | sort)
  ;;
*) fail "unknown kind $kind" ;;
esac

[ "$(echo "$table" | wc -l)" -eq 23 ] || fail "expected 23 exported names, found $(echo "$table" | wc -l):
$table"
[ "$decorated" = "$oracle" ] || fail "decorated names differ from the oracle:
$(diff <(echo "$oracle") <(echo "$decorated"))"
[ "$(echo "$table" | grep -v -e '^?' -e '^\$Q' | sort)" = "$plain" ] || fail "plain aliases differ"
echo "OK: $lib exports the 12 decorated names and 11 plain aliases"
