#!/usr/bin/env bash
# The Vim syntax of stories, checked in Vim and (where installed) Neovim
# with nothing but this folder on the runtime path: for each row, the
# syntax group at a line and column of a story.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

printf '%s\r\n' \
  '[start]Morning.' \
  'Get up??[up],[sleep]::AON' \
  '[up]You get up.::aonBOFF' \
  'Go>>[road]::END' \
  'Fork>>A[bus],[late]' \
  'Bye::END>>[x]' \
  'text [no label]' > "$scratch/story.vln"

# line column group   reason
rows='
1 2 vlnLabel          a label at the start of a line
1 9 -                 the text after it is plain
2 7 vlnChoiceMark     the choice marker
2 10 vlnChoice        a choice item
2 13 vlnComma         between items
2 22 vlnChoice        :: after ?? belongs to the list
3 18 vlnFlagOn        a keyword in any letter case
3 21 vlnFlagOff       one command part, two keywords
4 5 vlnJump           the target of a jump
4 11 vlnCommandMark   the jump ends at ::
4 13 vlnEnd           END
5 7 vlnFlag           the flag letter of a conditional jump
5 8 vlnConditional    its first name
5 13 vlnComma         between its names
6 9 vlnCommand        >> after :: is part of the command
7 6 -                 [ inside a line opens no label
'

check() {
  local editor=$1
  local script="$scratch/check.vim"
  {
    echo "set nocompatible"
    echo "let &runtimepath = '$here,' . &runtimepath"
    echo "filetype on"
    echo "syntax on"
    echo "edit $scratch/story.vln"
    echo "let out = [&filetype, &fileformat]"
    while read -r line column group reason; do
      [ -z "$line" ] && continue
      echo "call add(out, '$line $column $group ' . synIDattr(synID($line, $column, 1), 'name'))"
    done <<< "$rows"
    echo "call writefile(out, '$scratch/out.txt')"
    echo "qall!"
  } > "$script"
  rm -f "$scratch/out.txt"
  "$editor" -u NONE -i NONE -n -es -S "$script" </dev/null || true
  [ -f "$scratch/out.txt" ] || { echo "$editor: no result"; return 1; }
  local failed=0
  { read -r filetype; read -r fileformat; } < "$scratch/out.txt"
  [ "$filetype" = vln ] || { echo "$editor: filetype '$filetype', not vln"; failed=1; }
  [ "$fileformat" = dos ] || { echo "$editor: fileformat '$fileformat', not dos"; failed=1; }
  while read -r line column want got; do
    got=${got:--}
    if [ "$want" != "$got" ]; then
      echo "$editor: line $line column $column: $got, not $want ($(grep -m1 "^$line $column " <<< "$rows" | cut -d" " -f4- | xargs))"
      failed=1
    fi
  done < <(tail -n +3 "$scratch/out.txt")
  [ $failed -eq 0 ] && echo "$editor: $(grep -c . <<< "$rows") places as they should be"
  return $failed
}

status=0
check vim || status=1
if command -v nvim >/dev/null; then check nvim || status=1; fi
exit $status
