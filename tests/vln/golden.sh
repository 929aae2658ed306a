#!/usr/bin/env bash
# Runs the real vln binary on one case and compares what it prints and its
# exit status with the case's expectations.
#   golden.sh VLN CASE_DIR NAME
# NAME.case sets `args` (an array) and `status`; NAME.stdin, if present, is
# fed to standard input; NAME.out holds the expected standard output.
set -uo pipefail
vln=$1 dir=$2 name=$3
args=() status=0
# shellcheck source=/dev/null
source "$dir/$name.case"
cd "$dir" || exit 1
input=/dev/null
[ -f "$name.stdin" ] && input="$name.stdin"
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
"$vln" "${args[@]}" <"$input" >"$actual"
got=$?
failed=0
if ! diff -u "$name.out" "$actual"; then
  echo "$name: standard output differs (- expected, + actual)"
  failed=1
fi
if [ "$got" -ne "$status" ]; then
  echo "$name: exit status $got, expected $status"
  failed=1
fi
exit $failed
