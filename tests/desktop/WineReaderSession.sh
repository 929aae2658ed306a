#!/usr/bin/env bash
# One reading session with the real velnori.exe under Wine on a real X
# server (Xvfb and openbox), driven with xdotool as a user would: the same
# session as the Linux reader's, plus a story whose first line is megabytes
# long; Alt with the reader's keys, a maximized start and a start at 144
# DPI. Prints how long the reader took to show its window.
#   WineReaderSession.sh BUILD-FOLDER PATH-TO-velnori.exe [SCREENSHOT.png]
set -euo pipefail
build=$1 reader=$2 screenshot=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/DesktopSession.sh"
source "$here/ReaderWindow.sh"
source "$here/ReaderSessionSteps.sh"
source "$here/../../scripts/wine-run.sh"
command -v numlockx >/dev/null || { echo "missing: numlockx (scripts/install-deps.sh windows)" >&2; exit 1; }

# Ten seconds for each wait: Wine draws its dialogs slowly on a busy machine,
# but not that slowly.
WaitTries=200
# Wine names every X window of the program by its executable.
ReaderWindowIds() { xdotool search --class velnori.exe 2>/dev/null; }
# Wine's Open dialog takes Windows names only: Z: is the Unix root.
DialogPath() { printf 'Z:%s' "${1//\//\\}"; }
# Under Wine NumLock is set on the X server itself.
NumLock() { numlockx "$1"; }

UseWine "$build"
# A server still up from another test may keep the display that test drew
# on, and the reader's window would go there: this session has its own.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
StartDesktop 1024x600
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; StopDesktop; rm -rf "$work"' EXIT
# The server started beforehand, as it is on a desktop where Wine runs, so
# the start-up measured is the reader's own.
wineserver -p 5 && wine cmd /c exit 0 >/dev/null 2>&1 || true
# The prefix's own DPI, 96, even after a session that was killed at 144.
dpiKey='HKCU\Control Panel\Desktop'
wine reg delete "$dpiKey" /v LogPixels /f >/dev/null 2>&1 || true

WriteForkStory
# Two million characters on the first line: six megabytes of UTF-8.
long="$work/stories/long.vln"
{ (set +o pipefail; yes 長 | head -n 2000000 | tr -d '\n'); printf '\r\n二行目\r\n'; } >"$long"

StartReader wine "$reader"
echo "window mapped with its caption $readerShownMs ms after wine started"
# The X window is what Windows calls client area and menu bar: 544 pixels
# wide at 96 DPI, and one pixel of menu bar high.
geometry=$(xwininfo -id "$main")
[ "$(sed -n 's/^ *Width: //p' <<<"$geometry")" = 544 ] || Fail "the strip is not 544 pixels wide"
[ "$(sed -n 's/^ *Height: //p' <<<"$geometry")" = 1 ] || Fail "more than the top of the menu bar shows"

OpenForkStory
if [ -n "$screenshot" ]; then
  import -window root -crop 560x60+0+0 "$screenshot"
  # And the File menu, dropped from the sliver of menu bar.
  Press alt+f
  sleep 1
  import -window root -crop 560x140+0+0 "${screenshot%.png}-menu.png"
  Press Escape Escape
  WaitFor "the menu closes" HasFocus "$main"
fi

ReadForkStory
OpenMissingFile
OpenSample

# Megabytes on one line: the title bar gets its first 4,096 characters and
# the window lives on to show the next line.
Press alt+f o
OpenNamed "File > Open opens the dialog for the long line" "$long"
WaitFor "the long line is shown, cut" TitleIs "$main" "$(printf '長%.0s' $(seq 4096))"
WaitFor "the window has the focus again" HasFocus "$main"
Press Down
WaitFor "the window lives on after the long line" TitleIs "$main" "二行目"

# With Alt held the keys act as without it, through X, Wine's keyboard and
# the system keys' message; Alt+F still opens the menu afterwards.
Press alt+f o
OpenNamed "File > Open opens the dialog for Alt's keys" "$work/stories/fork.vln"
WaitFor "the story is shown again" TitleIs "$main" "朝です。目覚ましが鳴る。"
WaitFor "the window has the focus again" HasFocus "$main"
Press alt+Down
WaitFor "Alt+Down reads on" TitleIs "$main" "起きるか寝るか"
Press alt+1
WaitFor "Alt+1 answers the choice" TitleIs "$main" "起きた。"
IsHidden "$main" && Fail "a key with Alt minimized the window"

MinimizeWithSpace
LeaveThroughMenu

# A strip is all that shows: its client area (what X sees) is the strip's
# width at the prefix's DPI, and no more than the top of the menu bar high.
IsStrip() {
  local geometry
  geometry=$(xwininfo -id "$main")
  [ "$(sed -n 's/^ *Width: //p' <<<"$geometry")" = "$1" ] &&
    [ "$(sed -n 's/^ *Height: //p' <<<"$geometry")" -le 2 ]
}
IsNotMaximized() { ! xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_MAXIMIZED; }
CloseReader() {
  Press alt+f x
  WaitFor "Exit ends the reader" ReaderEnded
  wait "$readerPid" || true
}

# start /max, as a shortcut set to maximized does: the show command asks to
# maximize, and the strip stays a strip.
StartReader wine start /wait /max /unix "$reader"
WaitFor "a maximized start leaves a strip" IsStrip 544
WaitFor "the strip is not left maximized" IsNotMaximized "$main"
CloseReader

# At 144 DPI the 8,160 twips are 816 pixels.
wine reg add "$dpiKey" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
trap 'wine reg delete "$dpiKey" /v LogPixels /f >/dev/null 2>&1; wineserver -k 2>/dev/null || true; StopDesktop; rm -rf "$work"' EXIT
StartReader wine "$reader"
WaitFor "the strip is 816 pixels wide at 144 DPI" IsStrip 816
CloseReader
echo "Wine reader session passed"
