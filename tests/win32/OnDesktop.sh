#!/usr/bin/env bash
# Runs a Windows test program under Wine on an X desktop of its own (Xvfb
# and openbox): without an X server Wine makes no real windows, and one
# without a window manager answers some requests only after a timeout.
# Wine keeps one desktop per server, made by the first program that needs
# it, so the server of the tests without a display is stopped first (ctest
# runs these tests alone).
#   OnDesktop.sh BUILD-FOLDER PROGRAM.exe [ARG...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../desktop/DesktopSession.sh"
source "$here/../../scripts/wine-run.sh"
UseWine "$1"
shift
wineserver -k 2>/dev/null || true
wineserver -w
StartDesktop
trap 'wineserver -k 2>/dev/null || true; StopDesktop' EXIT
wine "$@"
