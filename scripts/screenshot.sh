#!/usr/bin/env bash
# Makes docs/screenshot.png: the reader on an X desktop (Xvfb and openbox)
# showing the first line of a sample story, cropped to the window's strip.
#   scripts/screenshot.sh [PATH-TO-velnori]   (default build/window/velnori)
set -euo pipefail
cd "$(dirname "$0")/.."
reader=${1:-build/window/velnori}
story=$PWD/examples/hoshi-no-eki.vln
out=docs/screenshot.png
source tests/desktop/DesktopSession.sh

StartDesktop 800x200
"$reader" >/dev/null 2>&1 &
readerPid=$!
trap 'kill "$readerPid" 2>/dev/null || true; StopDesktop' EXIT

Until() {
  local i
  for i in $(seq 100); do "$@" && return 0; sleep 0.05; done
  echo "screenshot: gave up waiting for: $*" >&2
  exit 1
}
DialogOpen() { [ "$(WindowTitle "$(xdotool getwindowfocus)")" = "ファイルを開く" ]; }
ShowsStory() { [ "$(WindowTitle "$main")" != Velnori ]; }

main=$(xdotool search --sync --onlyvisible --pid "$readerPid" --name '^Velnori$' | head -1)
xdotool windowactivate --sync "$main"
xdotool key Down
Until DialogOpen
xdotool type --delay 60 "$story"
xdotool key Return
Until ShowsStory
sleep 0.5  # let openbox draw the new title

# The strip is the client window plus openbox's frame around it.
read -r left right top bottom < <(xprop -id "$main" -notype _NET_FRAME_EXTENTS |
  sed -n 's/^_NET_FRAME_EXTENTS = //p' | tr -d ',')
x=$(xwininfo -id "$main" | sed -n 's/^ *Absolute upper-left X: *//p')
y=$(xwininfo -id "$main" | sed -n 's/^ *Absolute upper-left Y: *//p')
w=$(xwininfo -id "$main" | sed -n 's/^ *Width: *//p')
h=$(xwininfo -id "$main" | sed -n 's/^ *Height: *//p')
mkdir -p docs
import -window root -crop "$((w + left + right))x$((h + top + bottom))+$((x - left))+$((y - top))" \
  +repage "$out"
echo "$out: $(WindowTitle "$main")"
