#!/usr/bin/env bash
# Emacs 28 with eglot on `vln lsp`, in batch mode (EmacsClient.el), twice:
# with the README's Emacs configuration as written, and with Emacs's own
# guess of each file's line ends and no word from the client.
#   EmacsClient.sh VLN SOURCE-FOLDER
set -euo pipefail
vln=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
source_dir=$2
command -v emacs >/dev/null || { echo "EmacsClient.sh: no emacs (scripts/install-deps.sh lsp installs it)" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/bin" "$scratch/home"
# The README's configuration runs `vln` from PATH.
ln -s "$vln" "$scratch/bin/vln"

# The README's one elisp block.
sed -n '/^```elisp$/,/^```$/{/^```/d;p}' "$source_dir/README.md" >"$scratch/readme.el"
grep -q eglot-server-programs "$scratch/readme.el" || { echo "EmacsClient.sh: no Emacs configuration in README.md" >&2; exit 1; }
cat >"$scratch/guess.el" <<'ELISP'
(define-derived-mode vln-mode text-mode "Velnori")
(add-to-list 'auto-mode-alist '("\\.vln\\'" . vln-mode))
(with-eval-after-load 'eglot
  (add-to-list 'eglot-server-programs '(vln-mode "vln" "lsp")))
ELISP

run() {
  local config=$1 cases=$2 stories=$scratch/$1
  mkdir "$stories"
  cp "$source_dir/examples/hoshi-no-eki.vln" "$stories/"
  printf '%s\r\n' '[はじめ]あさだ。>>[みち]' 'いく？　ねる？??[みち],[ねる]' '[みち]みちにでた。>>[どこ]' '[ねる]おやすみ。::END' |
    iconv -f UTF-8 -t CP932 >"$stories/kana.vln"
  printf '[s]Start.\r\nLine two\nstill two\r\nGo>>[nowhere]\r\n' >"$stories/mixed.vln"
  HOME=$scratch/home PATH=$scratch/bin:$PATH VLN=$vln STORIES=$stories CONFIG=$config CASES=$cases \
    timeout 180 emacs --batch -q --eval '(package-initialize)' -l "$scratch/$config.el" \
      -l "$source_dir/tests/lsp/EmacsClient.el" </dev/null
}
run readme "crlf kana fix"
run guess "crlf fix"
