#!/usr/bin/env bash
# vln map with Japanese file names, as a Japanese author names files: the
# map lands in the file named, its DOT is the golden one byte for byte, and
# neither -o nor a story named like a map can overwrite the story.
#   map-file-names.sh VLN CASE_DIR
set -uo pipefail
vln=$1 dir=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/files" && cd "$work/files" || exit 1
failed=0
fail() { echo "map-file-names: $*"; failed=1; }
# Runs vln; the exit status must be $1.
expect() {
  local status=$1 got=0; shift
  "$vln" "$@" >/dev/null 2>"$work/err" || got=$?
  [ "$got" = "$status" ] || fail "vln $* exited with $got, not $status: $(cat "$work/err")"
}

cp "$dir/物語.vln" 物語.vln
cp "$dir/物語.vln" 物語.dot
expect 0 map 物語.vln -o 地図.dot
if [ -f 地図.dot ]; then
  cmp -s 地図.dot "$dir/map-japanese-name.out" || fail "地図.dot is not the golden DOT"
else
  fail "no file named 地図.dot"
fi
expect 2 map 物語.vln -o 物語.vln
expect 2 map 物語.dot -o 物語.dot
expect 2 map 物語.dot -o ./物語.dot
cmp -s 物語.vln "$dir/物語.vln" || fail "物語.vln was overwritten"
cmp -s 物語.dot "$dir/物語.vln" || fail "the story 物語.dot was overwritten by its own map"
# Nothing but the map was written, under no other name.
names=$(LC_ALL=C ls | LC_ALL=C sort | tr '\n' ' ')
[ "$names" = "$(printf '%s ' 地図.dot 物語.dot 物語.vln | tr ' ' '\n' | LC_ALL=C sort | tr '\n' ' ')" ] ||
  fail "the folder holds: $names"
exit $failed
