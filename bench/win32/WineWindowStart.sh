#!/usr/bin/env bash
# Start-up of velnori.exe under Wine, from starting the program to its window
# mapped and titled "Velnori", against a bare Win32 window built the same way.
# The two take turns, so that a busy moment of the machine falls on both;
# Wine's server runs throughout, as it does on a desktop where Wine is used.
# Prints each program's median and their ratio.
#   bench/win32/WineWindowStart.sh BUILD-FOLDER [ROUNDS]
set -euo pipefail
build=$(cd "$1" && pwd) rounds=${2:-15}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tests/desktop/DesktopSession.sh"
source "$here/../../scripts/wine-run.sh"
UseWine "$build"
StartDesktop
trap 'wineserver -k 2>/dev/null || true; StopDesktop' EXIT
wineserver -p 60
wine cmd /c exit 0 >/dev/null 2>&1 || true

# Milliseconds from start to a mapped window titled "Velnori"; one program
# runs at a time on this private display, so the title alone finds it.
StartTime() {
  local exe=$1 started
  started=$(date +%s%N)
  wine "$exe" >/dev/null 2>&1 &
  local pid=$!
  until xdotool search --onlyvisible --name '^Velnori$' >/dev/null 2>&1; do :; done
  echo $(( ($(date +%s%N) - started) / 1000000 ))
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  # Until its window is gone, the next start could find it.
  while xdotool search --name '^Velnori$' >/dev/null 2>&1; do sleep 0.02; done
}

Median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

reader=() bare=()
for round in $(seq "$rounds"); do
  reader+=("$(StartTime "$build/velnori.exe")")
  bare+=("$(StartTime "$build/bench/bare_window.exe")")
done
readerMedian=$(printf '%s\n' "${reader[@]}" | Median)
bareMedian=$(printf '%s\n' "${bare[@]}" | Median)
echo "velnori.exe: ${reader[*]} ms; median $readerMedian ms"
echo "bare window: ${bare[*]} ms; median $bareMedian ms"
awk -v r="$readerMedian" -v b="$bareMedian" 'BEGIN { printf "reader / bare window (medians): %.2f\n", r / b }'
