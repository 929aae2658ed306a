" Velnori stories. A new story gets CR LF line ends: the reader ends a line
" only at CR LF or CR, so a story saved with LF reads as one long line.
autocmd BufRead,BufNewFile *.vln setfiletype vln
autocmd BufNewFile *.vln setlocal fileformat=dos
