#!/usr/bin/env bash
# Runs a Windows program under Wine as the Windows tests need it: a private
# prefix inside the build folder, a Japanese locale (without one Wine draws
# Japanese menus as boxes and garbles Japanese paths), no debug chatter, and
# no offer to install .NET or Gecko. The prefix is made on first use.
#   wine-run.sh BUILD-FOLDER PROGRAM.exe [ARG...]
# Sourced with no arguments it only sets up the environment (UseWine).
set -euo pipefail

UseWine() {
  local build
  build=$(cd "$1" && pwd)
  export WINEPREFIX=$build/wine-prefix
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
  # Making the prefix or the locale twice at once would spoil both.
  exec 9>"$build/wine-setup.lock"
  flock 9
  if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8'; then
    # The system has no Japanese locale: one of our own, built once into
    # the build folder, needs no root and changes nothing outside it.
    export LOCPATH=$build/locale
    if [ ! -d "$LOCPATH/ja_JP.UTF-8" ]; then
      mkdir -p "$LOCPATH"
      localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" >/dev/null 2>&1 ||
        [ -d "$LOCPATH/ja_JP.UTF-8" ] ||
        { echo "wine-run.sh: cannot build the ja_JP.UTF-8 locale (package locales)" >&2; return 1; }
    fi
  fi
  { export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8; } 2>/dev/null
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1
    wineserver -w
  fi
  flock -u 9
  exec 9>&-
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  [ $# -ge 2 ] || { echo "usage: wine-run.sh BUILD-FOLDER PROGRAM.exe [ARG...]" >&2; exit 2; }
  UseWine "$1"
  shift
  exec wine "$@"
fi
