# Sourced by the desktop scripts that drive the reader with xdotool: starts
# it on the desktop of DesktopSession.sh and finds, reads and waits for its
# windows. Uses $work (a scratch folder) for the reader's output.
#   StartReader PATH-TO-velnori   sets readerPid and main (the strip's id)

Fail() {
  echo "FAIL: $*" >&2
  echo "focus: $(LC_ALL=C.UTF-8 xdotool getwindowfocus getwindowname 2>&1)" >&2
  [ -n "${main:-}" ] && echo "title: $(TitleOf "$main")" >&2
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
# A top-level window of the reader with this exact title.
ReaderWindowNamed() {
  local id
  for id in $(xdotool search --pid "$readerPid" 2>/dev/null); do
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
ReaderRuns() { kill -0 "$readerPid" 2>/dev/null; }
Press() { xdotool key --delay 60 "$@"; sleep 0.2; }

StartReader() {
  "$1" >"$work/reader.log" 2>&1 &
  readerPid=$!
  WaitFor "the reader shows its window" HasWindowNamed Velnori
  main=$(ReaderWindowNamed Velnori)
  # The window has its title before it is mapped; a key typed then is lost.
  WaitFor "the window is mapped" IsViewable "$main"
  xdotool windowactivate --sync "$main"
  WaitFor "the window has the focus" HasFocus "$main"
}
