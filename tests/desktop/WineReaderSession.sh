#!/usr/bin/env bash
# One reading session with the real velnori.exe under Wine on a real X
# server (Xvfb and openbox), driven with xdotool as a user would: the same
# session as the Linux reader's, plus a story whose first line is megabytes
# long. Prints how long the reader took to show its window.
#   WineReaderSession.sh BUILD-FOLDER PATH-TO-velnori.exe [SCREENSHOT.png]
set -euo pipefail
build=$1 reader=$2 screenshot=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/DesktopSession.sh"
source "$here/../../scripts/wine-run.sh"
command -v numlockx >/dev/null || { echo "missing: numlockx (scripts/install-deps.sh windows)" >&2; exit 1; }

Fail() {
  echo "FAIL: $*" >&2
  echo "focus: $(xdotool getwindowfocus getwindowname 2>&1)" >&2
  [ -n "${main:-}" ] && echo "title: $(TitleOf "$main" | cut -c 1-80)" >&2
  exit 1
}

# Polls a command for up to ten seconds: Wine draws its dialogs slowly on a
# busy machine.
WaitFor() {
  local what=$1; shift
  local i
  for i in $(seq 200); do
    if "$@"; then return 0; fi
    sleep 0.05
  done
  Fail "$what"
}

TitleOf() {
  xprop -id "$1" -notype _NET_WM_NAME 2>/dev/null |
    sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p'
}
TitleIs() { [ "$(TitleOf "$1")" = "$2" ]; }
# openbox paints "Unnamed Window" for an empty title, so the properties are
# read, both of them: they must be there and be empty.
TitleIsEmpty() {
  local raw
  raw=$(xprop -id "$1" -notype _NET_WM_NAME 2>/dev/null) || return 1
  [ "$raw" = '_NET_WM_NAME = ""' ] || [ "$raw" = '_NET_WM_NAME = ' ] || return 1
  raw=$(xprop -id "$1" -notype WM_NAME 2>/dev/null) || return 1
  [ "$raw" = 'WM_NAME = ""' ] || [ "$raw" = 'WM_NAME = ' ]
}
# Wine names every X window of the program by its executable.
ReaderWindowNamed() {
  local id
  for id in $(xdotool search --class velnori.exe 2>/dev/null); do
    if [ "$(TitleOf "$id")" = "$1" ]; then echo "$id"; return 0; fi
  done
  return 1
}
HasWindowNamed() { ReaderWindowNamed "$1" >/dev/null; }
FocusedWindowNamed() {
  local id
  id=$(ReaderWindowNamed "$1") && HasFocus "$id"
}
NoWindowNamed() { ! HasWindowNamed "$1"; }
HasFocus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
IsHidden() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN; }
IsViewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
Press() { xdotool key --delay 60 "$@"; sleep 0.2; }
# Wine's Open dialog takes Windows names only: Z: is the Unix root.
WindowsName() { printf 'Z:%s' "${1//\//\\}"; }
# Types a name into the focused Open dialog and confirms it.
OpenNamed() {
  WaitFor "the Open dialog has the focus" FocusedWindowNamed "ファイルを開く"
  xdotool type --delay 40 "$(WindowsName "$1")"
  Press Return
  WaitFor "the Open dialog closes" NoWindowNamed "ファイルを開く"
}

UseWine "$build"
StartDesktop 1024x600
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; StopDesktop; rm -rf "$work"' EXIT
# The server started beforehand, as it is on a desktop where Wine runs, so
# the start-up measured is the reader's own.
wineserver -p 5 && wine cmd /c exit 0 >/dev/null 2>&1 || true

mkdir "$work/stories"
story="$work/stories/fork.vln"
printf '%s\r\n' \
  '[始]朝です。目覚ましが鳴る。' \
  '起きるか寝るか??[起きる],[寝る]' \
  '[起きる]起きた。::AON' \
  '家を出る。>>[道]' \
  '[寝る]また寝た。::AOFF' \
  '[道]道に出た。どうする??[右],[左]' \
  '[右]右へ行く。::END' \
  '[左]左へ行く。::END' >"$story"
# Two million characters on the first line: six megabytes of UTF-8.
long="$work/stories/long.vln"
{ (set +o pipefail; yes 長 | head -n 2000000 | tr -d '\n'); printf '\r\n二行目\r\n'; } >"$long"

started=$(date +%s%N)
wine "$reader" >"$work/reader.log" 2>&1 &
readerPid=$!
WaitFor "the reader shows its window" HasWindowNamed Velnori
main=$(ReaderWindowNamed Velnori)
WaitFor "the window is mapped" IsViewable "$main"
echo "window mapped with its caption $(( ($(date +%s%N) - started) / 1000000 )) ms after wine started"
# The X window is what Windows calls client area and menu bar: 544 pixels
# wide at 96 DPI, and one pixel of menu bar high.
geometry=$(xwininfo -id "$main")
[ "$(sed -n 's/^ *Width: //p' <<<"$geometry")" = 544 ] || Fail "the strip is not 544 pixels wide"
[ "$(sed -n 's/^ *Height: //p' <<<"$geometry")" = 1 ] || Fail "more than the top of the menu bar shows"

xdotool windowactivate --sync "$main" 2>/dev/null
Press Down
OpenNamed "$story"
WaitFor "the first line is shown" TitleIs "$main" "朝です。目覚ましが鳴る。"
WaitFor "the window has the focus again" HasFocus "$main"
if [ -n "$screenshot" ]; then
  import -window root -crop 560x60+0+0 "$screenshot"
  # And the File menu, dropped from the sliver of menu bar.
  Press alt+f
  sleep 1
  import -window root -crop 560x140+0+0 "${screenshot%.png}-menu.png"
  Press Escape Escape
  WaitFor "the menu closes" HasFocus "$main"
fi

Press Down
WaitFor "the choice line is shown" TitleIs "$main" "起きるか寝るか"
Press Down
TitleIs "$main" "起きるか寝るか" || Fail "Down acted while a choice was pending"
Press 3
TitleIs "$main" "起きるか寝るか" || Fail "a digit without an item acted"
Press shift+1
WaitFor "Shift+1 still takes the first item" TitleIs "$main" "起きた。"
Press Down
WaitFor "the jump line is shown" TitleIs "$main" "家を出る。"
Press Down
WaitFor "the step after a jump is empty" TitleIsEmpty "$main"
Press Down
WaitFor "the jump target is shown" TitleIs "$main" "道に出た。どうする"

# Keypad 2 with NumLock on. xdotool would toggle NumLock itself for the KP_2
# keysym, so NumLock is set first and the raw keycode (88) sent.
numlockx on
Press 88
WaitFor "keypad 2 takes the second item" TitleIs "$main" "左へ行く。"
numlockx off

# A missing file: the error box, dismissed with Return.
Press alt+f o
OpenNamed "$work/stories/missing.vln"
WaitFor "a missing file gives the error box" FocusedWindowNamed "エラー"
Press Return
WaitFor "Return dismisses the error box" NoWindowNamed "エラー"
WaitFor "the window has the focus again" HasFocus "$main"
TitleIs "$main" "左へ行く。" || Fail "the failed open changed the caption"

# The code page 932 sample, as Japanese Windows saves it.
sample=$(cd "$here/../.." && pwd)/examples/ame-no-kissaten.vln
firstLine=$(head -n 1 "$sample" | iconv -f CP932 -t UTF-8 | tr -d '\r' | sed 's/^\[[^]]*\]//')
Press alt+f o
OpenNamed "$sample"
WaitFor "the code page 932 sample shows its first line" TitleIs "$main" "$firstLine"

# Megabytes on one line: the title bar gets its first 4,096 characters and
# the window lives on to show the next line.
WaitFor "the window has the focus again" HasFocus "$main"
Press alt+f o
OpenNamed "$long"
WaitFor "the long line is shown, cut" TitleIs "$main" "$(printf '長%.0s' $(seq 4096))"
WaitFor "the window has the focus again" HasFocus "$main"
Press Down
WaitFor "the window lives on after the long line" TitleIs "$main" "二行目"

Press space
WaitFor "Space minimizes the window" IsHidden "$main"

xdotool windowactivate --sync "$main" 2>/dev/null
WaitFor "the window is back" HasFocus "$main"
Press alt+f x
status=0
for i in $(seq 200); do
  kill -0 "$readerPid" 2>/dev/null || break
  sleep 0.05
done
kill -0 "$readerPid" 2>/dev/null && Fail "Exit did not end the reader"
wait "$readerPid" || status=$?
[ "$status" = 0 ] || Fail "the reader exited with $status"
echo "Wine reader session passed"
