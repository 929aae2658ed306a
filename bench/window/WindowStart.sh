#!/usr/bin/env bash
# Runs the window start-up benchmark on its own Xvfb and openbox and prints
# the medians and their ratio.
#   bench/window/WindowStart.sh BUILD-DIR [benchmark options...]
set -euo pipefail
build=$1; shift
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tests/desktop/DesktopSession.sh"
StartDesktop
# Interleaved, so that a busy moment of the machine falls on both programs.
"$build/bench/window/window_start_bench" --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true "$@" | tee /dev/stderr |
  awk '/_median/ { m[$1] = $2 }
       END {
         for (k in m) {
           if (k ~ /\/reader\//) r = m[k]
           if (k ~ /\/bare_window\//) b = m[k]
           if (k ~ /\/bare_window_menu\//) bm = m[k]
         }
         if (b > 0) printf "reader / bare window (medians): %.2f\n", r / b
         if (bm > 0) printf "reader / bare window with a menu bar (medians): %.2f\n", r / bm
       }'
