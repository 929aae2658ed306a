#!/usr/bin/env bash
# Key to caption of velnori.exe under Wine, measured from outside: a Down
# press put into the X server until the window's title changes, on a story
# whose every line differs. With a reference velnori.exe (an earlier build)
# the two take turns, so that a busy moment of the machine falls on both.
# Prints each round's median, 99th percentile and slowest press, then the
# middle round's figures for each program.
#   bench/win32/WineKeyToCaption.sh BUILD-FOLDER [PRESSES] [REFERENCE.exe]
set -euo pipefail
build=$(cd "$1" && pwd) presses=${2:-300} reference=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tests/desktop/DesktopSession.sh"
source "$here/../../tests/desktop/ReaderWindow.sh"
source "$here/../../scripts/wine-run.sh"
command -v pkg-config >/dev/null && pkg-config --exists xtst ||
  { echo "missing: libxtst-dev (scripts/install-deps.sh desktop)" >&2; exit 1; }

WaitTries=200
ReaderWindowIds() { xdotool search --class velnori.exe 2>/dev/null; }
DialogPath() { printf 'Z:%s' "${1//\//\\}"; }

UseWine "$build"
work=$(mktemp -d)
StartDesktop
trap 'wineserver -k 2>/dev/null || true; StopDesktop; rm -rf "$work"' EXIT
wineserver -p 60
wine cmd /c exit 0 >/dev/null 2>&1 || true
g++ -std=c++20 -O2 -o "$work/key_to_caption" "$here/KeyToCaption.cpp" $(pkg-config --cflags --libs x11 xtst)
mkdir -p "$work/stories"
story=$work/stories/lines.vln
for i in $(seq $((presses + 10))); do printf '行 %d です。\r\n' "$i"; done >"$story"

# One reading: start, open the story, time the presses, leave.
Round() {
  local exe=$1
  StartReader wine "$exe"
  Press Down
  OpenNamed "Down opens the dialog" "$story"
  WaitFor "the first line is shown" TitleIs "$main" "行 1 です。"
  WaitFor "the window has the focus again" HasFocus "$main"
  echo "$(basename "$(dirname "$exe")")/$(basename "$exe"): $("$work/key_to_caption" "$main" "$presses")"
  Press alt+f x
  WaitFor "Exit ends the reader" ReaderEnded
  wait "$readerPid" 2>/dev/null || true
}

for round in 1 2 3; do
  Round "$build/velnori.exe"
  if [ -n "$reference" ]; then Round "$(cd "$(dirname "$reference")" && pwd)/$(basename "$reference")"; fi
done | tee "$work/rounds"
# Each program's middle round by median and by 99th percentile.
Middle() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
for exe in $(cut -d: -f1 "$work/rounds" | sort -u); do
  echo "$exe: median of the rounds $(grep "^$exe:" "$work/rounds" | awk '{ print $3 }' | Middle) us," \
    "p99 of the rounds $(grep "^$exe:" "$work/rounds" | awk '{ print $6 }' | Middle) us"
done
