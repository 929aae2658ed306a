#!/usr/bin/env bash
# No name in a header shared by every platform may be a macro of
# <windows.h>: the macro would rename it in the Windows files that include
# <windows.h> and not in the others, so one class would have two names and
# two shapes (the message box interface was once "MessageBox", which became
# MessageBoxA there). Comments and strings are left out; their words rename
# nothing.
#   SharedNamesCheck.sh WINDOWS-C++-COMPILER SOURCE-FOLDER
set -euo pipefail
cxx=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '#include <windows.h>\n#include <shellapi.h>\n#include <commdlg.h>\n#include <imm.h>\n' |
  "$cxx" -x c++ -dM -E - | awk '{ sub(/\(.*/, "", $2); print $2 }' | sort -u >"$work/macros"
cd "$source"
shopt -s nullglob
found=0
for header in platform/*.h story/*.h window/*.h tools/vln/*/*.h; do
  { "$cxx" -fpreprocessed -dD -E -x c++ "$header" 2>/dev/null | grep -v '^#' |
    sed -E 's/"([^"\\]|\\.)*"/""/g' | grep -oE '\b[A-Za-z_][A-Za-z0-9_]*\b' || true; } | sort -u >"$work/names"
  for name in $(comm -12 "$work/macros" "$work/names"); do
    echo "$header: \"$name\" is a macro of <windows.h>"
    found=1
  done
done
exit $found
