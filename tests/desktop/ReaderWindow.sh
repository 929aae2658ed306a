# Sourced by the desktop scripts that drive the reader with xdotool: starts
# it on the desktop of DesktopSession.sh and finds, reads and waits for its
# windows. Uses $work (a scratch folder) for the reader's output.
#   StartReader COMMAND...   starts the reader with COMMAND (its path, or a
#                            launcher and its path); sets readerPid, main (the
#                            strip's id) and readerShownMs (start to mapped)
#   OpenNamed WHAT PATH      types PATH into the Open dialog WHAT opened
# A script whose reader is not found by its pid, or whose Open dialog wants
# another form of path, redefines ReaderWindowIds or DialogPath after sourcing.

Fail() {
  echo "FAIL: $*" >&2
  echo "focus: $(LC_ALL=C.UTF-8 xdotool getwindowfocus getwindowname 2>&1)" >&2
  [ -n "${main:-}" ] && echo "title: $(TitleOf "$main" | head -c 200)" >&2
  cat "$work/reader.log" >&2
  exit 1
}

# Polls a command until it holds. The patience is for busy machines: the
# first Open dialog alone takes the reader 0.6 to 1.5 s on an idle machine
# with two cores, and more than three with four other busy processes, so a
# limit of a few seconds fails now and then. WaitTries polls of about 0.05 s.
WaitFor() {
  local what=$1; shift
  local i
  for i in $(seq "${WaitTries:-600}"); do
    if "$@"; then return 0; fi
    sleep 0.05
  done
  Fail "$what"
}

TitleOf() { WindowTitle "$1"; }
TitleIs() { [ "$(TitleOf "$1")" = "$2" ]; }
# openbox paints "Unnamed Window" for an empty title, so the properties are
# read, both of them: they must be there and be empty, not merely unreadable.
TitleIsEmpty() {
  local raw
  raw=$(xprop -id "$1" -notype _NET_WM_NAME 2>/dev/null) || return 1
  [ "$raw" = '_NET_WM_NAME = ""' ] || [ "$raw" = '_NET_WM_NAME = ' ] || return 1
  # Window managers fall back to the old name property, so it must be empty too.
  raw=$(xprop -id "$1" -notype WM_NAME 2>/dev/null) || return 1
  [ "$raw" = 'WM_NAME = ""' ] || [ "$raw" = 'WM_NAME = ' ]
}
# The X windows that may be the reader's.
ReaderWindowIds() { xdotool search --pid "$readerPid" 2>/dev/null; }
# A top-level window of the reader with this exact title.
ReaderWindowNamed() {
  local id
  for id in $(ReaderWindowIds); do
    if [ "$(TitleOf "$id")" = "$1" ]; then echo "$id"; return 0; fi
  done
  return 1
}
HasWindowNamed() { ReaderWindowNamed "$1" >/dev/null; }
# Keys go to whichever window has the focus, so a new window must have it
# before anything is typed.
FocusedWindowNamed() {
  local id
  id=$(ReaderWindowNamed "$1") && HasFocus "$id"
}
NoWindowNamed() { ! HasWindowNamed "$1"; }
HasFocus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
IsViewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
IsHidden() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN; }
ReaderRuns() { kill -0 "$readerPid" 2>/dev/null; }
ReaderEnded() { ! ReaderRuns; }
Press() { xdotool key --delay 60 "$@"; sleep 0.2; }

StartReader() {
  local started
  started=$(date +%s%N)
  "$@" >"$work/reader.log" 2>&1 &
  readerPid=$!
  WaitFor "the reader shows its window" HasWindowNamed Velnori
  main=$(ReaderWindowNamed Velnori)
  # The window has its title before it is mapped; a key typed then is lost.
  WaitFor "the window is mapped" IsViewable "$main"
  readerShownMs=$(( ($(date +%s%N) - started) / 1000000 ))
  xdotool windowactivate --sync "$main" 2>/dev/null
  WaitFor "the window has the focus" HasFocus "$main"
}

# The path as the Open dialog takes it.
DialogPath() { printf '%s' "$1"; }
# Keys go to the dialog only once it has the focus, and what the reader made
# of the name is looked for only once the dialog is gone.
OpenNamed() {
  WaitFor "$1" FocusedWindowNamed "ファイルを開く"
  xdotool type --delay 60 "$(DialogPath "$2")"
  Press Return
  WaitFor "the Open dialog closes" NoWindowNamed "ファイルを開く"
}
