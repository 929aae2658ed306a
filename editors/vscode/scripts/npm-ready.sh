#!/usr/bin/env bash
# Installs the extension's npm packages exactly as the lockfile pins them,
# again only when the lockfile has changed since the last install; or those
# of another folder with its own lockfile (web/).
#   npm-ready.sh [FOLDER]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
if [ ! -f node_modules/.package-lock.json ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
  npm ci --no-audit --no-fund
  touch node_modules/.package-lock.json
fi
