#!/usr/bin/env bash
# What CI checks of a packaged extension: its size, its file list, the
# target in its manifest, and the vln inside (the executable bit included).
# Usage: check-vsix.sh VSIX linux-x64|win32-x64
set -euo pipefail
vsix=$1 target=$2
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "check-vsix: $vsix: $*" >&2; exit 1; }

size=$(stat -c %s "$vsix")
[ "$size" -le $((5 * 1024 * 1024)) ] || fail "$size bytes, more than 5 MB"

bin=extension/bin/vln
[ "$target" = win32-x64 ] && bin=extension/bin/vln.exe
listed=$(unzip -Z1 "$vsix" | sort)
expected=$(printf '%s\n' '[Content_Types].xml' extension.vsixmanifest extension/LICENSE.txt \
  extension/README.md extension/package.json extension/language-configuration.json \
  extension/syntaxes/vln.tmLanguage.json extension/dist/extension.js extension/dist/map.js \
  extension/dist/play.js extension/dist/icon.png extension/dist/velnori.svg extension/media/map.css extension/media/play.css "$bin" | sort)
[ "$listed" = "$expected" ] || fail "holds other files than expected:
$(diff <(echo "$expected") <(echo "$listed") || true)"

unzip -p "$vsix" extension.vsixmanifest | grep -q "TargetPlatform=\"$target\"" \
  || fail "its manifest does not name the target $target"

if [ "$target" = linux-x64 ]; then
  zipinfo "$vsix" "$bin" | grep -q '^-rwx' || fail "$bin lost its executable bit"
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
unzip -q "$vsix" "$bin" -d "$scratch"
"$here/check-binary.sh" "$target" "$scratch/$bin" >/dev/null
echo "check-vsix: $vsix: $target, $size bytes, $(echo "$listed" | wc -l) files"
