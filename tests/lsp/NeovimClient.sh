#!/usr/bin/env bash
# neovim's built-in client (vim.lsp.start_client) on `vln lsp`, headless:
# the diagnostics arrive, go to definition moves the cursor to the label's
# line, rename edits the buffer. Then the README's configuration for this
# neovim, as written, with editors/vim on the runtime path (NeovimReadme.lua).
#   NeovimClient.sh VLN SOURCE-FOLDER
set -euo pipefail
vln=$1
source_dir=$2
command -v nvim >/dev/null || { echo "NeovimClient.sh: no nvim (scripts/install-deps.sh lsp installs it)" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# neovim keeps its log and state under these; none of it belongs to the user.
export XDG_CACHE_HOME=$scratch/cache XDG_STATE_HOME=$scratch/state XDG_DATA_HOME=$scratch/data XDG_CONFIG_HOME=$scratch/config
printf '%s\r\n' '[start]Morning.' 'Go on>>[road]' 'Lost>>[nowhere]' '[road]On the road.::END' >"$scratch/story.vln"
VLN=$vln STORY=$scratch/story.vln timeout 90 \
  nvim --headless --clean -c "luafile $source_dir/tests/lsp/NeovimClient.lua" </dev/null

# The README's Lua block for this neovim: the one after "Neovim 0.7:" for 0.7,
# the first one for 0.8 and later.
mkdir -p "$XDG_CONFIG_HOME/nvim" "$scratch/bin" "$scratch/stories"
minor=$(nvim --version | sed -n '1s/^NVIM v0\.\([0-9]*\).*/\1/p')
heading='^Neovim 0\.8 and later'
[ "${minor:-0}" -lt 8 ] && heading='^Neovim 0\.7:'
{
  echo "vim.opt.runtimepath:append('$source_dir/editors/vim')"
  awk -v heading="$heading" '$0 ~ heading {found = 1} found && /^```lua$/ {inside = 1; next}
       inside && /^```$/ {exit} inside {print}' "$source_dir/README.md"
} >"$XDG_CONFIG_HOME/nvim/init.lua"
grep -q 'vim.lsp' "$XDG_CONFIG_HOME/nvim/init.lua" || { echo "NeovimClient.sh: no neovim configuration in README.md" >&2; exit 1; }
ln -s "$(cd "$(dirname "$vln")" && pwd)/$(basename "$vln")" "$scratch/bin/vln"
printf '%s\r\n' '[はじめ]あさだ。>>[みち]' 'いく？　ねる？??[みち],[ねる]' '[みち]みちにでた。>>[どこ]' '[ねる]おやすみ。::END' |
  iconv -f UTF-8 -t CP932 >"$scratch/stories/kana.vln"
printf '[s]One\nTwo>>[b]\n[b]Three\n' >"$scratch/stories/lf.vln"
(cd "$scratch/stories" && PATH=$scratch/bin:$PATH VLN=$scratch/bin/vln STORIES=$scratch/stories timeout 150 \
  nvim --headless -c "luafile $source_dir/tests/lsp/NeovimReadme.lua" </dev/null)
