#!/usr/bin/env bash
# Checks that a vln is the program for the target it is packaged for, since
# vsce packages whatever it is given. Linux: x86-64 ELF needing nothing but
# the C and C++ runtimes, and no glibc newer than Ubuntu 22.04's (2.35).
# Windows: x86-64 PE needing only DLLs every Windows has.
# Usage: check-binary.sh linux-x64|win32-x64 FILE
set -euo pipefail
target=$1 file=$2
fail() { echo "check-binary: $file: $*" >&2; exit 1; }

case "$target" in
  linux-x64)
    readelf -h "$file" 2>/dev/null | grep -q 'Class:.*ELF64' || fail "not a 64-bit ELF program"
    readelf -h "$file" | grep -q 'Machine:.*X86-64' || fail "not an x86-64 program"
    while read -r line; do
      case "$line" in
        linux-vdso.so.*|libc.so.6*|libm.so.6*|/lib64/ld-linux-x86-64.so.2*|libstdc++.so.6*|libgcc_s.so.1*) ;;
        *) fail "needs more than the C and C++ runtimes: $line" ;;
      esac
    done < <(ldd "$file" | sed 's/^[[:space:]]*//')
    newest=$(objdump -T "$file" | grep -o 'GLIBC_[0-9.]*' | sed 's/GLIBC_//' | sort -uV | tail -1)
    [ "$(printf '%s\n2.35\n' "$newest" | sort -V | tail -1)" = 2.35 ] || fail "needs glibc $newest (Ubuntu 22.04 has 2.35)"
    ;;
  win32-x64)
    x86_64-w64-mingw32-objdump -f "$file" 2>/dev/null | grep -q 'file format pei-x86-64' \
      || fail "not an x86-64 Windows program"
    while read -r dll; do
      case "${dll,,}" in
        kernel32.dll|user32.dll|gdi32.dll|comdlg32.dll|shell32.dll|advapi32.dll|msvcrt.dll|ucrtbase.dll|api-ms-win-*) ;;
        *) fail "needs $dll, which Windows does not have" ;;
      esac
    done < <(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p')
    ;;
  *) fail "unknown target $target" ;;
esac
echo "check-binary: $file is a $target program"
