#!/usr/bin/env bash
# One reading session with the real reader on a real X server, driven with
# xdotool as a user would: open a story with the Down arrow, read on, take
# choices with a main-row and a keypad digit, open a missing file and the
# code page 932 sample, hide the window with Space and leave through the menu.
#   ReaderSession.sh PATH-TO-velnori
set -euo pipefail
reader=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/DesktopSession.sh"
source "$here/ReaderWindow.sh"

# An empty title must really be there and be empty, not merely unreadable.
TitleIsEmpty() {
  local raw
  raw=$(xprop -id "$1" -notype _NET_WM_NAME 2>/dev/null) || return 1
  [ "$raw" = '_NET_WM_NAME = ""' ] || [ "$raw" = '_NET_WM_NAME = ' ] || return 1
  # Window managers fall back to the old name property, so it must be empty too.
  raw=$(xprop -id "$1" -notype WM_NAME 2>/dev/null) || return 1
  [ "$raw" = 'WM_NAME = ""' ] || [ "$raw" = 'WM_NAME = ' ]
}
IsHidden() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN; }

StartDesktop

work=$(mktemp -d)
trap 'StopDesktop; rm -rf "$work"' EXIT
# The path is typed ASCII: xdotool types other characters by remapping a
# spare key for each, which a busy machine can overtake. The story's own
# lines are Japanese.
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

StartReader "$reader"
[ "$(xwininfo -id "$main" | sed -n 's/^ *Width: //p')" = 544 ] || Fail "the strip is not 544 pixels wide"

# Down with no story opens the Open dialog.
Press Down
WaitFor "Down opens the dialog" FocusedWindowNamed "ファイルを開く"
xdotool type --delay 60 "$story"
Press Return
WaitFor "the dialog closes" NoWindowNamed "ファイルを開く"
WaitFor "the first line is shown" TitleIs "$main" "朝です。目覚ましが鳴る。"
WaitFor "the window has the focus again" HasFocus "$main"

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

# Keypad 2 with NumLock on (X keycode 88); xdotool would toggle NumLock
# itself for the KP_2 keysym, so the raw keycode is sent instead.
Press Num_Lock
Press 88
WaitFor "keypad 2 takes the second item" TitleIs "$main" "左へ行く。"
Press Num_Lock

# A missing file: the error box, dismissed with Return.
Press alt+f o
WaitFor "File > Open opens the dialog" FocusedWindowNamed "ファイルを開く"
xdotool type --delay 60 "$work/stories/missing.vln"
Press Return
WaitFor "a missing file gives the error box" FocusedWindowNamed "エラー"
Press Return
WaitFor "Return dismisses the error box" NoWindowNamed "エラー"
WaitFor "the window has the focus again" HasFocus "$main"
TitleIs "$main" "左へ行く。" || Fail "the failed open changed the caption"

# A sample story in code page 932, as Japanese Windows saves it: the reader
# decodes it. Its first line is a label and plain text.
sample=$(cd "$here/../.." && pwd)/examples/ame-no-kissaten.vln
[ -f "$sample" ] || Fail "no sample story at $sample"
firstLine=$(head -n 1 "$sample" | iconv -f CP932 -t UTF-8 | tr -d '\r' | sed 's/^\[[^]]*\]//')
Press alt+f o
WaitFor "File > Open opens the dialog again" FocusedWindowNamed "ファイルを開く"
xdotool type --delay 60 "$sample"
Press Return
WaitFor "the code page 932 sample shows its first line" TitleIs "$main" "$firstLine"
WaitFor "the window has the focus again" HasFocus "$main"

xdotool windowactivate --sync "$main" 2>/dev/null
Press space
WaitFor "Space minimizes the window" IsHidden "$main"

xdotool windowactivate --sync "$main" 2>/dev/null
Press alt+f x
status=0
for i in $(seq 100); do
  kill -0 "$readerPid" 2>/dev/null || break
  sleep 0.05
done
kill -0 "$readerPid" 2>/dev/null && Fail "Exit did not end the reader"
wait "$readerPid" || status=$?
[ "$status" = 0 ] || Fail "the reader exited with $status"
echo "reader session passed"
