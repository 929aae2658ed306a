#!/usr/bin/env bash
# The real vln map drawing SVG: a sample story gives well-formed XML with one
# node per passage, and so does a story full of what breaks DOT and XML.
#   map-svg.sh VLN SOURCE_DIR
set -uo pipefail
vln=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "map-svg: $*"; failed=1; }

# One node per passage: the DOT's passages against the SVG's node groups.
check_svg() {
  local story=$1 svg=$2
  "$vln" map "$story" -o "$svg" || { fail "vln map $story -o $svg failed"; return; }
  xmllint --noout "$svg" || { fail "$svg is not well-formed XML"; return; }
  local passages drawn
  passages=$("$vln" map "$story" -o - | grep -c 'class="passage')
  drawn=$(xmllint --xpath "count(//*[local-name()='g'][contains(@class,'node')][contains(@class,'passage')])" "$svg")
  [ "$passages" -gt 0 ] && [ "$passages" = "$drawn" ] ||
    fail "$svg: $drawn passage nodes drawn, the DOT has $passages"
}

check_svg "$source/examples/hoshi-no-eki.vln" "$work/hoshi.svg"
check_svg "$source/examples/ame-no-kissaten.vln" "$work/ame.svg"

# UTF-16LE with NUL, a lone surrogate, U+FFFE, quotes, backslashes, DOT and
# XML syntax, entities and a 40,000-character line, in labels, text and
# targets that begin no line.
{
  printf '\xff\xfe'
  printf '[s"\\N]a\0b&#0;c<&amp;>\x1b"q"\\\\\r\nGo??[\xd8\\x"],[s"\\N]\r\n[\xd8\\x"]} digraph { a -> b; /* <svg> ]]>\r\n' |
    iconv -f latin1 -t utf-16le | sed 's/\xd8\x00\\\x00/\x00\xd8/g'
  head -c 40000 /dev/zero | tr '\0' 'x' | iconv -f ascii -t utf-16le
  printf '\r\0\n\0\xfe\xff>\0>\0A\0[\0\0\xd8\xfe\xff\r\0\n\0'
} >"$work/hostile.vln"
check_svg "$work/hostile.vln" "$work/hostile.svg"

# Nothing to draw from, or nowhere to write: status 2 and a message.
if "$vln" map "$work/nowhere.vln" -o "$work/x.svg" 2>"$work/err"; then fail "an unreadable story was mapped"; fi
grep -q "cannot be read" "$work/err" || fail "no message for an unreadable story: $(cat "$work/err")"
"$vln" map "$source/examples/hoshi-no-eki.vln" -o "$work/no/such/folder/map.svg" 2>"$work/err"
[ $? -eq 2 ] || fail "an unwritable output did not give status 2"
grep -q "cannot write $work/no/such/folder/map.svg: No such file or directory" "$work/err" ||
  fail "no clear message for an unwritable output: $(cat "$work/err")"
exit $failed
