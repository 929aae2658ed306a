#!/usr/bin/env bash
# Installs the Debian packages a make target needs, skipping those present.
# Usage: install-deps.sh GROUP...   (build, qt, desktop, lsp, fuzz, windows, package)
set -euo pipefail

packages_for() {
  case "$1" in
    build) echo "cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev libgraphviz-dev libxml2-utils nlohmann-json3-dev" ;;
    qt) echo "qt6-base-dev qt6-translations-l10n libxcb1-dev fonts-ipafont-gothic" ;;
    desktop) echo "xvfb openbox xdotool x11-utils imagemagick" ;;
    # The language server's client tests: Node and npm, and neovim. A nodejs
    # from elsewhere may bring its own npm, which Debian's npm would clash with.
    lsp) echo "nodejs neovim"; command -v npm >/dev/null || echo "npm" ;;
    fuzz) echo "clang libclang-rt-14-dev" ;;
    # Cross-building for Windows and its tests under Wine (locales: Wine
    # needs a Japanese locale, which scripts/wine-run.sh makes).
    windows) echo "g++-mingw-w64-x86-64 googletest wine wine64 locales numlockx" ;;
    package) echo "dpkg-dev file lintian" ;;
    *) echo "install-deps.sh: unknown group '$1'" >&2; exit 2 ;;
  esac
}

missing=()
for group in "$@"; do
  for package in $(packages_for "$group"); do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "install-deps.sh: as root, run: apt-get install ${missing[*]} (or run this make target as root)" >&2
    exit 1
  fi
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
