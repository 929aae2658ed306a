#!/usr/bin/env bash
# neovim's built-in client (vim.lsp.start_client) on `vln lsp`, headless:
# the diagnostics arrive, go to definition moves the cursor to the label's
# line, rename edits the buffer.
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
