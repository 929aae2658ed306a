#!/usr/bin/env bash
# The client tests' npm packages, and the tests themselves.
#   run-node-test.sh setup MODULES-FOLDER
#     installs the packages pinned in package-lock.json into MODULES-FOLDER
#     (npm ci, skipped when that lockfile is installed there already, and
#     tolerated offline when a copy is there);
#   run-node-test.sh run MODULES-FOLDER VLN TEST.js [ENV=VALUE...]
#     runs TEST.js with Node's test runner against `VLN lsp`.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
modules=$2

if [ "$1" = setup ]; then
  for tool in node npm; do
    command -v $tool >/dev/null ||
      { echo "run-node-test.sh: no $tool (scripts/install-deps.sh lsp installs it)" >&2; exit 1; }
  done
  mkdir -p "$modules"
  exec 9>"$modules/.setup.lock"
  flock 9
  if cmp -s "$here/package-lock.json" "$modules/package-lock.json" && [ -d "$modules/node_modules" ]; then
    exit 0
  fi
  cp "$here/package.json" "$here/package-lock.json" "$modules/"
  if ! (cd "$modules" && npm ci --no-audit --no-fund --loglevel=error); then
    [ -d "$modules/node_modules/vscode-languageserver-protocol" ] ||
      { echo "run-node-test.sh: npm ci failed and no earlier copy of the packages is there" >&2; exit 1; }
    echo "run-node-test.sh: npm ci failed; testing with the packages installed before" >&2
    rm -f "$modules/package-lock.json"
  fi
  exit 0
fi

vln=$3
test_file=$4
shift 4
export NODE_PATH=$modules/node_modules VLN_LSP_SERVER=$vln VELNORI_SOURCE_DIR=$(cd "$here/../.." && pwd)
for setting in "$@"; do export "${setting?}"; done
exec node --test "$here/$test_file"
