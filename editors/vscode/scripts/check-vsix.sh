#!/usr/bin/env bash
# What CI checks of a packaged extension: its size, its file list, the
# target in its manifest, and the vln inside (the executable bit included).
# The universal package has no target and carries vln.wasm and the web's entry.
# Usage: check-vsix.sh VSIX linux-x64|win32-x64|universal
set -euo pipefail
vsix=$1 target=$2
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "check-vsix: $vsix: $*" >&2; exit 1; }

size=$(stat -c %s "$vsix")
[ "$size" -le $((5 * 1024 * 1024)) ] || fail "$size bytes, more than 5 MB"

bin=extension/bin/vln
[ "$target" = win32-x64 ] && bin=extension/bin/vln.exe
web=()
if [ "$target" = universal ]; then
  bin=extension/bin/vln.wasm
  web=(extension/dist/wasmServer.js extension/dist/browser/extension.js extension/dist/browser/server.js)
fi
listed=$(unzip -Z1 "$vsix" | sort)
expected=$(printf '%s\n' '[Content_Types].xml' extension.vsixmanifest extension/LICENSE.txt \
  extension/README.md extension/package.json extension/language-configuration.json \
  extension/syntaxes/vln.tmLanguage.json extension/dist/extension.js extension/dist/map.js \
  extension/dist/play.js extension/dist/icon.png extension/dist/velnori.svg extension/media/map.css extension/media/play.css \
  "$bin" "${web[@]}" | sort)
[ "$listed" = "$expected" ] || fail "holds other files than expected:
$(diff <(echo "$expected") <(echo "$listed") || true)"

if [ "$target" = universal ]; then
  grep -q 'TargetPlatform=' <<<"$(unzip -p "$vsix" extension.vsixmanifest)" && fail "the universal package names a target"
  grep -q '"browser": "./dist/browser/extension.js"' <<<"$(unzip -p "$vsix" extension/package.json)" \
    || fail "its package.json has no browser entry"
  wasm_size=$(unzip -Z -l "$vsix" "$bin" | awk '{print $4; exit}')
  [ "$wasm_size" -le $((1536 * 1024)) ] || fail "$bin is $wasm_size bytes, more than 1.5 MB"
  wasm=$(mktemp)
  trap 'rm -f "$wasm"' EXIT
  unzip -p "$vsix" "$bin" > "$wasm"
  [ "$(head -c 4 "$wasm" | od -An -tx1 | tr -d ' ')" = 0061736d ] || fail "$bin is no WebAssembly module"
  # The exports the web's worker drives the server with.
  for export in vln_lsp_start vln_lsp_buffer vln_lsp_message vln_lsp_publish; do
    grep -qa "$export" "$wasm" || fail "$bin does not export $export"
  done
  echo "check-vsix: $vsix: universal, $size bytes, vln.wasm $wasm_size bytes, $(echo "$listed" | wc -l) files"
  exit 0
fi
unzip -p "$vsix" extension.vsixmanifest | grep -q "TargetPlatform=\"$target\"" \
  || fail "its manifest does not name the target $target"
grep -q '"browser"' <<<"$(unzip -p "$vsix" extension/package.json)" && fail "a native package with the web's entry"

if [ "$target" = linux-x64 ]; then
  zipinfo "$vsix" "$bin" | grep -q '^-rwx' || fail "$bin lost its executable bit"
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
unzip -q "$vsix" "$bin" -d "$scratch"
"$here/check-binary.sh" "$target" "$scratch/$bin" >/dev/null
echo "check-vsix: $vsix: $target, $size bytes, $(echo "$listed" | wc -l) files"
