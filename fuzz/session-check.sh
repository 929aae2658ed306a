#!/usr/bin/env bash
# One whole reading session on the `vln play` path: a code page 932 story of
# MEGABYTES (default 100) read from its first line to its end with Down, then
# a second story opened and read a little. Prints the peak memory against the
# file's size. Give it a vln built with AddressSanitizer (VELNORI_SANITIZE=ON)
# and LeakSanitizer reports any leak at exit, failing the check.
# Usage: session-check.sh VLN [MEGABYTES]
set -euo pipefail

vln=$1
megabytes=${2:-100}
second="$(cd "$(dirname "$0")/.." && pwd)/examples/hoshi-no-eki.vln"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# Lines of 40 Japanese characters; a label on every tenth, flag commands on
# every seventh, no choice and no END, so Down alone reads it to the end.
awk -v bytes=$((megabytes * 1024 * 1024)) 'BEGIN {
  split("あ い う え お か き く け こ さ し す せ そ た ち つ て と な に ぬ 駅 星 雨 茶 店 物 語", k, " ");
  srand(7);
  for (i = 0; size < bytes; ++i) {
    # ASCII text counted apart: each Japanese character is two bytes in CP932.
    ascii = (i % 10 == 0) ? "[l" i "]" : "";
    line = "";
    for (j = 0; j < 40; ++j) line = line k[int(rand() * 30) + 1];
    command = (i % 7 == 3) ? ((i % 2) ? "::AON" : "::aoff don") : "";
    printf "%s%s%s\r\n", ascii, line, command;
    size += length(ascii) + 80 + length(command) + 2;
  }
  print i > "/dev/stderr";
}' 2>"$scratch/lines" | iconv -f UTF-8 -t CP932 >"$scratch/big.vln"
lines=$(cat "$scratch/lines")
{
  awk -v n=$((lines + 5)) 'BEGIN { for (i = 0; i < n; ++i) print "down" }'
  echo "file:$second"
  echo open
  awk 'BEGIN { for (i = 0; i < 30; ++i) print "down" }'
  echo exit
} >"$scratch/events"

status=0
/usr/bin/time -v "$vln" play "$scratch/big.vln" <"$scratch/events" >"$scratch/out" 2>"$scratch/time" ||
  status=$?
size=$(stat -c %s "$scratch/big.vln")
peak_kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$scratch/time")
echo "story: $size bytes, $lines lines; captions shown: $(wc -l <"$scratch/out")"
awk -v kb="$peak_kb" -v size="$size" \
  'BEGIN { printf "peak memory: %.1f MB = %.2f x the file size\n", kb / 1024, kb * 1024 / size }'
if [ "$status" -ne 0 ] || grep -q "Sanitizer" "$scratch/time"; then
  grep -v '^\s' "$scratch/time" | head -n 40
  echo "vln play failed (status $status)" >&2
  exit 1
fi
echo "no leak reported"
