# Sourced by the two reading-session scripts, the Linux reader's and
# velnori.exe's under Wine: the steps of the session both go through, in
# order. Needs ReaderWindow.sh, $work, and the reader started.
#   WriteForkStory      writes the session's story before the reader starts
# A script whose keypad NumLock is set otherwise redefines NumLock (on|off).

SampleStory=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/examples/ame-no-kissaten.vln

# The path is typed ASCII: xdotool types other characters by remapping a
# spare key for each, which a busy machine can overtake. The story's own
# lines are Japanese.
WriteForkStory() {
  mkdir -p "$work/stories"
  printf '%s\r\n' \
    '[始]朝です。目覚ましが鳴る。' \
    '起きるか寝るか??[起きる],[寝る]' \
    '[起きる]起きた。::AON' \
    '家を出る。>>[道]' \
    '[寝る]また寝た。::AOFF' \
    '[道]道に出た。どうする??[右],[左]' \
    '[右]右へ行く。::END' \
    '[左]左へ行く。::END' >"$work/stories/fork.vln"
}

# Down with no story opens the Open dialog.
OpenForkStory() {
  Press Down
  OpenNamed "Down opens the dialog" "$work/stories/fork.vln"
  WaitFor "the first line is shown" TitleIs "$main" "朝です。目覚ましが鳴る。"
  WaitFor "the window has the focus again" HasFocus "$main"
}

# Its key toggles NumLock, so on and off are the same press.
NumLock() { Press Num_Lock; }

ReadForkStory() {
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
  NumLock on
  Press 88
  WaitFor "keypad 2 takes the second item" TitleIs "$main" "左へ行く。"
  NumLock off
}

# A missing file: the error box, dismissed with Return.
OpenMissingFile() {
  Press alt+f o
  OpenNamed "File > Open opens the dialog" "$work/stories/missing.vln"
  WaitFor "a missing file gives the error box" FocusedWindowNamed "エラー"
  Press Return
  WaitFor "Return dismisses the error box" NoWindowNamed "エラー"
  WaitFor "the window has the focus again" HasFocus "$main"
  TitleIs "$main" "左へ行く。" || Fail "the failed open changed the caption"
}

# A sample story in code page 932, as Japanese Windows saves it: the reader
# decodes it. Its first line is a label and plain text. sed reads the line as
# bytes, in any locale: no byte of a UTF-8 character is a ']'.
OpenSample() {
  local firstLine
  [ -f "$SampleStory" ] || Fail "no sample story at $SampleStory"
  firstLine=$(head -n 1 "$SampleStory" | iconv -f CP932 -t UTF-8 | tr -d '\r' |
    LC_ALL=C sed 's/^\[[^]]*\]//')
  Press alt+f o
  OpenNamed "File > Open opens the dialog again" "$SampleStory"
  WaitFor "the code page 932 sample shows its first line" TitleIs "$main" "$firstLine"
  WaitFor "the window has the focus again" HasFocus "$main"
}

MinimizeWithSpace() {
  xdotool windowactivate --sync "$main" 2>/dev/null
  Press space
  WaitFor "Space minimizes the window" IsHidden "$main"
}

LeaveThroughMenu() {
  local status=0
  xdotool windowactivate --sync "$main" 2>/dev/null
  WaitFor "the window is back" HasFocus "$main"
  Press alt+f x
  WaitFor "Exit ends the reader" ReaderEnded
  wait "$readerPid" || status=$?
  [ "$status" = 0 ] || Fail "the reader exited with $status"
}
