#!/usr/bin/env bash
# Installs the Debian packages a make target needs, skipping those present.
# Usage: install-deps.sh GROUP...          installs what the groups need
#        install-deps.sh --list GROUP...   prints their packages, one a line
# Groups: run, test, and the parts they and the other make targets share.
set -euo pipefail

packages_for() {
  case "$1" in
    # Compiling the engine and vln: vln map draws with Graphviz's library, vln lsp
    # speaks JSON through nlohmann-json.
    compile) echo "cmake g++ make pkg-config libgraphviz-dev nlohmann-json3-dev" ;;
    # Building and running the reader and vln, and nothing more: `make run`.
    run) echo "$(packages_for compile) qt6-base-dev qt6-translations-l10n libxcb1-dev fonts-ipafont-gothic" ;;
    # The test and benchmark libraries (xmllint reads vln map's SVG).
    build) echo "$(packages_for compile) libgtest-dev libgmock-dev libbenchmark-dev libxml2-utils" ;;
    # An X desktop of its own for the real window's tests.
    # libxtst-dev: bench/win32/WineKeyToCaption.sh presses keys through XTest.
    desktop) echo "xvfb openbox xdotool x11-utils imagemagick libxtst-dev" ;;
    # Everything `make test` builds and runs.
    test) echo "$(packages_for run) $(packages_for build) $(packages_for desktop) $(packages_for lsp) $(packages_for wasm)" ;;
    # The language server's client tests: Node and npm, neovim, and Emacs
    # with eglot (emacs-nox has no X of its own to bring). A nodejs from
    # elsewhere may bring its own npm, which Debian's npm would clash with.
    lsp) echo "nodejs neovim emacs-nox elpa-eglot"; command -v npm >/dev/null || echo "npm" ;;
    fuzz) echo "clang libclang-rt-14-dev" ;;
    # vln as WebAssembly for WASI (make wasm): clang and lld 14 with the wasm32
    # C and C++ libraries, Binaryen's wasm-opt, llvm-ar, and Node to run it.
    wasm) echo "$(packages_for compile) clang-14 lld-14 llvm-14 wasi-libc libc++-14-dev-wasm32 libc++abi-14-dev-wasm32 libclang-rt-14-dev-wasm32 binaryen nodejs" ;;
    # Cross-building for Windows and its tests under Wine (locales: Wine
    # needs a Japanese locale, which scripts/wine-run.sh makes).
    windows) echo "g++-mingw-w64-x86-64 googletest wine wine64 locales numlockx" ;;
    package) echo "dpkg-dev file lintian shared-mime-info vim" ;;
    # The editor extensions: the VS Code one's npm tools, its webviews' tests
    # in Debian's chromium, the vsix checks, and Vim for the Vim syntax's
    # test. Where npm came with another nodejs, Debian's npm would conflict.
    editors) echo "unzip chromium fonts-ipafont-gothic vim"; command -v npm >/dev/null || echo "nodejs npm" ;;
    # code-server for the end-to-end test: its kerberos module builds from
    # source, and its ripgrep comes from Debian instead of a download. Its
    # native modules build against node's headers and libuv's, which
    # Debian's own nodejs leaves to libnode-dev and libuv1-dev.
    code-server) echo "libkrb5-dev ripgrep python3 g++ make"
      [ -f /usr/include/node/node_api.h ] || echo "libnode-dev"
      [ -f /usr/include/node/uv.h ] || echo "libuv1-dev" ;;
    *) echo "install-deps.sh: unknown group '$1'" >&2; exit 2 ;;
  esac
}

list=""
if [ "${1:-}" = --list ]; then
  list=1
  shift
fi

wanted=()
for group in "$@"; do
  # A command substitution hides an unknown group's exit status: ask first.
  packages_for "$group" >/dev/null
  wanted+=($(packages_for "$group"))
done
if [ -n "$list" ]; then
  [ ${#wanted[@]} -eq 0 ] || printf '%s\n' "${wanted[@]}" | sort -u
  exit 0
fi

missing=()
for package in $(printf '%s\n' "${wanted[@]}" | sort -u); do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "install-deps.sh: no sudo here; as root, run: su -c 'apt-get update && apt-get install --no-install-recommends ${missing[*]}'" >&2
    exit 1
  fi
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
