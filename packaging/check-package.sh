#!/usr/bin/env bash
# What CI checks of the Debian package on a machine of its own: lintian finds
# no errors in it, apt-get installs it with what it depends on, the installed
# vln passes the installed sample stories, the installed reader starts under
# Xvfb to its "Velnori" caption, and the package is removed again.
# Installs system-wide: as root, or through sudo.
#   packaging/check-package.sh BUILD-FOLDER
set -euo pipefail
cd "$(dirname "$0")/.."
debs=("$1"/velnori_*_amd64.deb)
[ -f "${debs[0]}" ] || { echo "check-package: no package in $1 (make package)" >&2; exit 1; }
deb=$(realpath "${debs[0]}")
source tests/desktop/DesktopSession.sh

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive

# Warnings are printed for whoever reads the log; only errors fail.
lintian --fail-on error "$deb"
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

StartDesktop
$sudo apt-get install -y -q "$deb"
Remove() { $sudo apt-get purge -y -q velnori >/dev/null; }
trap 'Remove; StopDesktop' EXIT

/usr/bin/vln check /usr/share/doc/velnori/examples/*.vln

/usr/bin/velnori >/dev/null 2>&1 &
reader=$!
ShowsVelnori() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$reader" 2>/dev/null); do
    [ "$(WindowTitle "$id")" = Velnori ] && return 0
  done
  return 1
}
for i in $(seq 600); do
  ShowsVelnori && break
  kill -0 "$reader" 2>/dev/null || { echo "check-package: the installed reader died" >&2; exit 1; }
  sleep 0.05
done
ShowsVelnori || { echo "check-package: no window titled Velnori" >&2; exit 1; }
kill "$reader"
wait "$reader" 2>/dev/null || true

Remove
trap StopDesktop EXIT
[ ! -e /usr/bin/velnori ] || { echo "check-package: /usr/bin/velnori is still there after removal" >&2; exit 1; }
echo "package check passed"
