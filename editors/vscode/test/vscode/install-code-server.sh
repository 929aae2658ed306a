#!/usr/bin/env bash
# Installs code-server from npm as the lockfile pins it, without reaching
# beyond the npm registry: its ripgrep package would download a binary, so
# Debian's rg is put where that download is looked for first. Its native
# modules build against the installed node's headers.
set -euo pipefail
cd "$(dirname "$0")"
if [ -f node_modules/.package-lock.json ] && [ node_modules/.package-lock.json -nt package-lock.json ] \
   && [ -x node_modules/.bin/code-server ]; then
  exit 0
fi
major=$(node -p 'process.versions.node.split(".")[0]')
[ "$major" = 20 ] || { echo "install-code-server: code-server 4.100 needs Node 20, this is $(node --version)" >&2; exit 1; }

export TMPDIR=${TMPDIR:-/tmp}
cache="$TMPDIR/vscode-ripgrep-cache-1.15.11"
mkdir -p "$cache"
if [ ! -f "$cache/ripgrep-v13.0.0-10-x86_64-unknown-linux-musl.tar.gz" ]; then
  work=$(mktemp -d)
  cp "$(command -v rg)" "$work/rg"
  tar -czf "$cache/ripgrep-v13.0.0-10-x86_64-unknown-linux-musl.tar.gz" -C "$work" rg
  rm -rf "$work"
fi
export npm_config_unsafe_perm=true npm_config_yes=true npm_config_nodedir=/usr
if [ -f package-lock.json ]; then
  npm ci --no-audit --no-fund
else
  npm install --no-audit --no-fund
fi
touch node_modules/.package-lock.json
