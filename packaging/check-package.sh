#!/usr/bin/env bash
# What CI checks of the Debian package on a machine of its own: lintian finds
# no errors in it, apt-get installs it with what it depends on, the installed
# vln passes the installed sample stories, desktops and Vim know a story file,
# the installed reader starts under Xvfb to its "Velnori" caption, and the
# system is left as it was found: the package and every package that came with
# it are purged, and the package selections (auto-installed marks included) must match those from before.
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
  [ ! -e /usr/bin/velnori ] || { echo "check-package: /usr/bin/velnori is still there after removal" >&2; status=1; }
  ! grep -q 'text/x-velnori' /usr/share/mime/globs2 \
    || { echo "check-package: text/x-velnori is still known after removal" >&2; status=1; }
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

# The desktop knows a story as a kind of plain text, and Vim and Neovim
# (where installed) colour one with nothing set up by the user.
grep -qx '[0-9]*:text/x-velnori:\*\.vln' /usr/share/mime/globs2 \
  || { echo "check-package: *.vln is not text/x-velnori in the MIME database" >&2; exit 1; }
grep -qx 'text/x-velnori text/plain' /usr/share/mime/subclasses \
  || { echo "check-package: text/x-velnori is no kind of text/plain" >&2; exit 1; }
editors_scratch=$(mktemp -d)
printf '[start]Hi::END\r\n' > "$editors_scratch/story.vln"
printf 'filetype on\nsyntax on\n' > "$editors_scratch/vimrc"
for editor in vim nvim; do
  command -v "$editor" >/dev/null || continue
  rm -f "$editors_scratch/seen"
  "$editor" -es -N -i NONE -u "$editors_scratch/vimrc" "$editors_scratch/story.vln" \
    -c "call writefile([&filetype, synIDattr(synID(1, 2, 1), 'name')], '$editors_scratch/seen')" -c 'qall!' </dev/null || true
  [ "$(cat "$editors_scratch/seen" 2>/dev/null | tr '\n' ' ')" = "vln vlnLabel " ] \
    || { echo "check-package: $editor does not colour an installed story" >&2; exit 1; }
done
rm -rf "$editors_scratch"

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
