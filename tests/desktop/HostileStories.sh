#!/usr/bin/env bash
# Stories no window system is built for, opened one after another in the real
# reader on a real X server: a line of many megabytes, one of exactly 32,767
# characters, control characters, bidirectional and other formatting marks,
# characters outside the Basic Multilingual Plane, and a typed path of over
# 4 KB. After each the window must still be there, its title must
# begin as the line does, and the next line must follow.
#   HostileStories.sh PATH-TO-velnori
set -euo pipefail
reader=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/DesktopSession.sh"
source "$here/ReaderWindow.sh"

# TEXT repeated COUNT times, with no line break.
Repeat() { yes "$1" | head -n "$2" | tr -d '\n' || true; }
# The bytes of a title or a file as one line of hex pairs.
Hex() { od -An -v -tx1 | tr -d ' \n'; }
# The raw bytes of the window's _NET_WM_NAME, whatever the locale.
TitleHex() {
  local bytes
  bytes=$(xprop -id "$1" -f _NET_WM_NAME 8x _NET_WM_NAME 2>/dev/null |
    sed -n 's/^_NET_WM_NAME([A-Z0-9_]*) = //p' | tr ',' ' ')
  [ -n "$bytes" ] && printf '%02x' $bytes
}
NextLine=次の行です。

StartDesktop
work=$(mktemp -d)
trap 'StopDesktop; rm -rf "$work"' EXIT

# Each story's first line is the hostile one; the window's title is its first
# TITLEBYTES bytes (UTF-8; "all" for the whole line): the first 4,096 UTF-16
# units, or 4,095 where the 4,096th would be the first half of a surrogate pair.
names=() titleBytes=()
Story() {
  local name=$1 bytes=$2
  names+=("$name") titleBytes+=("$bytes")
  cat >"$work/$name.line"
  { cat "$work/$name.line"; printf '\r\n%s\r\n' "$NextLine"; } >"$work/$name.vln"
}
Story huge $((4096 * 3)) < <(printf '長い行'; Repeat 'あいうえお' 1400000)
Story line-of-32767 $((3 + 4095)) < <(printf '境'; Repeat x 32766)
# NUL, C0 controls, DEL, a lone LF, NEL, the line and paragraph separators.
Story controls all < <(printf '制御\0\1\a\b\t\v\f\e\x7f\n\xc2\x85\xe2\x80\xa8\xe2\x80\xa9後')
# Right-to-left override and mark, Arabic letter mark, isolates, zero-width
# space and joiner, a byte order mark inside the line. Bytes, not \u escapes,
# which bash writes out only in a UTF-8 locale.
Story formatting all < <(printf '\xe2\x80\xaeאבג\xe2\x80\x8f\xd8\x9cمرحبا\xe2\x81\xa6\xe2\x80\x8b\xef\xbb\xbf\xe2\x80\x8d\xe2\x80\xac\xe2\x81\xa9end')
Story outside-bmp $((1 + 2047 * 4)) < <(printf a; Repeat '😀' 3000)

StartReader "$reader"
for i in "${!names[@]}"; do
  name=${names[$i]}
  Press alt+f o
  WaitFor "File > Open opens the dialog for $name" FocusedWindowNamed "ファイルを開く"
  xdotool type --delay 20 "$work/$name.vln"
  Press Return
  if [ "${titleBytes[$i]}" = all ]; then
    expected=$(Hex <"$work/$name.line")
  else
    expected=$(head -c "${titleBytes[$i]}" "$work/$name.line" | Hex)
  fi
  # Reading many megabytes takes a while on a busy machine.
  for try in $(seq 300); do
    [ "$(TitleHex "$main")" = "$expected" ] && break
    ReaderRuns || Fail "the reader died on $name"
    sleep 0.1
  done
  ReaderRuns || Fail "the reader died on $name"
  IsViewable "$main" || Fail "the window is gone after $name"
  [ "$(TitleHex "$main")" = "$expected" ] ||
    Fail "$name: the title is not the line's first ${titleBytes[$i]} bytes: $(TitleHex "$main" | head -c 200)"
  WaitFor "the window has the focus again after $name" HasFocus "$main"
  Press Down
  WaitFor "Down shows the line after $name" TitleIs "$main" "$NextLine"
done

# A path of over 4 KB typed into the dialog, longer than any path the system
# can open (PATH_MAX): the reader says it cannot open it and carries on. Qt
# takes a while over so many keys, most of a minute under AddressSanitizer.
Press alt+f o
WaitFor "File > Open opens the dialog for a long path" FocusedWindowNamed "ファイルを開く"
xdotool type --delay 0 "$work/$(Repeat d/ 2100)story.vln"
Press Return
WaitTries=2400 WaitFor "a path over 4 KB gives the error box" FocusedWindowNamed "エラー"
Press Return
WaitFor "Return dismisses the error box" NoWindowNamed "エラー"
ReaderRuns || Fail "the reader died on a long path"
TitleIs "$main" "$NextLine" || Fail "the failed open changed the caption"

kill "$readerPid"
wait "$readerPid" 2>/dev/null || true
echo "hostile stories passed"
