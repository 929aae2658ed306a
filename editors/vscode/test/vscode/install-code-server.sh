#!/usr/bin/env bash
# Installs code-server from npm as the lockfile of the release for this Node
# pins it (codeServerRelease.js chooses), without reaching beyond the npm
# registry: its ripgrep package would download a binary, so Debian's rg is
# put where that download is looked for first. Its native modules build
# against the installed node's headers.
#   install-code-server.sh --check   only says whether this Node has a release
set -euo pipefail
cd "$(dirname "$0")"
command -v node >/dev/null || { echo "install-code-server: no node on PATH (on Debian 12: apt-get install nodejs npm)" >&2; exit 1; }
folder=$(node codeServerRelease.js)
[ "${1:-}" = --check ] && exit 0
cd "$folder"
if [ -f node_modules/.package-lock.json ] && [ node_modules/.package-lock.json -nt package-lock.json ] \
   && [ -x node_modules/.bin/code-server ]; then
  exit 0
fi

# The @vscode/ripgrep each release's VS Code pins, whose download cache
# this is; both fetch ripgrep v13.0.0-10.
case $folder in */node18) ripgrep=1.15.9 ;; *) ripgrep=1.15.11 ;; esac
export TMPDIR=${TMPDIR:-/tmp}
cache="$TMPDIR/vscode-ripgrep-cache-$ripgrep"
mkdir -p "$cache"
if [ ! -f "$cache/ripgrep-v13.0.0-10-x86_64-unknown-linux-musl.tar.gz" ]; then
  work=$(mktemp -d)
  cp "$(command -v rg)" "$work/rg"
  tar -czf "$cache/ripgrep-v13.0.0-10-x86_64-unknown-linux-musl.tar.gz" -C "$work" rg
  rm -rf "$work"
fi
nodedir=$(dirname "$(dirname "$(command -v node)")")
export npm_config_unsafe_perm=true npm_config_yes=true npm_config_nodedir=$nodedir
# Node 18.20's headers declare finalizers with a const environment that the
# kerberos module of the Node 18 release predates: the same function to the
# compiler's code, a different type to its checks.
case $folder in */node18) export CXXFLAGS="${CXXFLAGS:-} -fpermissive" ;; esac
npm ci --no-audit --no-fund
touch node_modules/.package-lock.json
