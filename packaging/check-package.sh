#!/usr/bin/env bash
# What CI checks of the Debian package on a machine of its own: lintian finds
# no errors in it, apt-get installs it with what it depends on, the installed
# vln passes the installed sample stories, the installed reader starts under
# Xvfb to its "Velnori" caption, and the system is left as it was found: the
# package and every package that came with it are purged, and the package
# selections (auto-installed marks included) must match those from before.
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

# Purging an installed velnori would take away what the check did not bring.
if dpkg-query -W -f='${db:Status-Abbrev}' velnori 2>/dev/null | grep -q '^.i'; then
  echo "check-package: velnori is installed already; remove it first" >&2
  exit 1
fi

Selections() { { dpkg --get-selections; apt-mark showauto | sed 's/$/\tauto/'; } | sort; }
Installed() { awk '$2 == "install" { print $1 }' "$@" | sort; }
before=$(mktemp)
Selections >"$before"

# What the install brought: velnori and the packages that came with it.
Came() { comm -13 <(Installed "$before") <(dpkg --get-selections | Installed); }

# Goes again: purged, or back to its settings alone where only those were
# here before.
Restore() {
  local configs purge
  [ -n "$came" ] || return 0
  configs=$(comm -12 <(echo "$came") <(awk '$2 == "deinstall" { print $1 }' "$before" | sort))
  purge=$(comm -23 <(echo "$came") <(echo "$configs"))
  echo "check-package: removing the $(echo "$came" | wc -l) packages the check installed"
  [ -z "$purge" ] || $sudo apt-get purge -y -q $purge >/dev/null
  [ -z "$configs" ] || $sudo apt-get remove -y -q $configs >/dev/null
}

Finish() {
  local status=$? after
  set +e
  [ -z "${reader:-}" ] || { kill "$reader"; wait "$reader"; } 2>/dev/null
  StopDesktop
  [ -n "${came+set}" ] || came=$(Came)
  Restore
  after=$(Selections)
  if [ "$after" != "$(cat "$before")" ]; then
    echo "check-package: the system is not as it was (< before, > after):" >&2
    diff "$before" <(echo "$after") >&2
    status=1
  fi
  rm -f "$before"
  [ "$status" -ne 0 ] || echo "package check passed"
  exit "$status"
}

StartDesktop
trap Finish EXIT
# --no-remove: a package it had to take away could not be put back.
$sudo apt-get install -y -q --no-remove "$deb"
came=$(Came)

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
