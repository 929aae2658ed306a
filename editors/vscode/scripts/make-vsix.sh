#!/usr/bin/env bash
# Builds velnori-linux-x64.vsix and velnori-win32-x64.vsix into OUTDIR, each
# with its own vln, and checks them.
# Usage: make-vsix.sh LINUX_VLN WINDOWS_VLN_EXE OUTDIR
set -euo pipefail
linux_vln=$(realpath "$1") windows_vln=$(realpath "$2")
mkdir -p "$3"
out=$(realpath "$3")
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
scripts/npm-ready.sh
node build.js
node scripts/icons.js

package() {
  local target=$1 program=$2 name=$3 strip=$4
  rm -rf bin
  mkdir bin
  "$strip" -o "bin/$name" "$program"
  scripts/check-binary.sh "$target" "bin/$name"
  # vsce ls is what vsce would pack: exactly these files, nothing of the
  # sources, the tests or node_modules.
  local listed wanted
  listed=$(npx vsce ls | sort)
  wanted=$(printf '%s\n' LICENSE README.md package.json language-configuration.json \
    syntaxes/vln.tmLanguage.json dist/extension.js dist/map.js dist/play.js dist/icon.png dist/velnori.svg media/map.css \
    media/play.css "bin/$name" | sort)
  [ "$listed" = "$wanted" ] || { echo "make-vsix: vsce would pack other files:"; diff <(echo "$wanted") <(echo "$listed"); exit 1; }
  # Piped, so vsce never stops at a question.
  npx vsce package --target "$target" --out "$out/velnori-$target.vsix" | cat
  scripts/check-vsix.sh "$out/velnori-$target.vsix" "$target"
}

trap 'rm -rf "$here/bin"' EXIT
package linux-x64 "$linux_vln" vln strip
package win32-x64 "$windows_vln" vln.exe x86_64-w64-mingw32-strip
