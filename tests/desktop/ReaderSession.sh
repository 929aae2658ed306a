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
source "$here/ReaderSessionSteps.sh"

StartDesktop

work=$(mktemp -d)
trap 'StopDesktop; rm -rf "$work"' EXIT
WriteForkStory

StartReader "$reader"
[ "$(xwininfo -id "$main" | sed -n 's/^ *Width: //p')" = 544 ] || Fail "the strip is not 544 pixels wide"

OpenForkStory
ReadForkStory
OpenMissingFile
OpenSample
MinimizeWithSpace
LeaveThroughMenu
echo "reader session passed"
