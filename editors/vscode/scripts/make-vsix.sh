#!/usr/bin/env bash
# Builds velnori-linux-x64.vsix and velnori-win32-x64.vsix into OUTDIR, each
# with its own vln, and the universal velnori.vsix with vln.wasm, and checks
# them.
# Usage: make-vsix.sh LINUX_VLN WINDOWS_VLN_EXE VLN_WASM OUTDIR
set -euo pipefail
linux_vln=$(realpath "$1") windows_vln=$(realpath "$2") vln_wasm=$(realpath "$3")
mkdir -p "$4"
out=$(realpath "$4")
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
scripts/npm-ready.sh
node build.js
node scripts/icons.js

# What every package holds besides its server.
every=(LICENSE README.md package.json language-configuration.json syntaxes/vln.tmLanguage.json dist/extension.js
  dist/map.js dist/play.js dist/icon.png dist/velnori.svg media/map.css media/play.css)

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
  wanted=$(printf '%s\n' "${every[@]}" "bin/$name" | sort)
  [ "$listed" = "$wanted" ] || { echo "make-vsix: vsce would pack other files:"; diff <(echo "$wanted") <(echo "$listed"); exit 1; }
  # Piped, so vsce never stops at a question.
  npx vsce package --target "$target" --out "$out/velnori-$target.vsix" | cat
  scripts/check-vsix.sh "$out/velnori-$target.vsix" "$target"
}

# The universal package: no target, vln.wasm instead of a native vln (run
# by the editor's runtime through dist/wasmServer.js, or in a web worker by
# the "browser" entry, dist/browser/).
universal() {
  rm -rf bin
  mkdir bin
  cp "$vln_wasm" bin/vln.wasm
  local listed wanted
  listed=$(npx vsce ls | sort)
  wanted=$(printf '%s\n' "${every[@]}" dist/wasmServer.js dist/browser/extension.js dist/browser/server.js \
    bin/vln.wasm | sort)
  [ "$listed" = "$wanted" ] || { echo "make-vsix: vsce would pack other files:"; diff <(echo "$wanted") <(echo "$listed"); exit 1; }
  npx vsce package --out "$out/velnori.vsix" | cat
  scripts/check-vsix.sh "$out/velnori.vsix" universal
}

# The native packages carry nothing for the web or for vln.wasm: their
# manifest has no "browser" entry while they are packed, and the files are
# set aside.
cp package.json "$here/package.json.universal"
aside=$(mktemp -d)
trap 'rm -rf "$here/bin" "$aside"; mv -f "$here/package.json.universal" "$here/package.json"' EXIT
node -e 'const fs = require("fs"); const m = JSON.parse(fs.readFileSync("package.json", "utf8"));
  delete m.browser; fs.writeFileSync("package.json", JSON.stringify(m, null, 2) + "\n");'
mv dist/browser dist/wasmServer.js "$aside/"
package linux-x64 "$linux_vln" vln strip
package win32-x64 "$windows_vln" vln.exe x86_64-w64-mingw32-strip
mv "$aside/browser" "$aside/wasmServer.js" dist/
cp package.json.universal package.json
universal
