" Velnori stories. The reader ends a line only at CR LF or CR, so a story
" saved with LF reads as one long line: every story is saved with CR LF, a
" new one and one read with LF alone too. A story is read as the reader
" reads it, as UTF-8 or else Shift-JIS; both options are global, so they
" are given back once the story is read.
autocmd BufRead,BufNewFile *.vln setfiletype vln
autocmd BufNewFile *.vln setlocal fileformat=dos
autocmd BufReadPre *.vln let s:formats = &fileformats | let s:encodings = &fileencodings
      \ | set fileformats=dos fileencodings=ucs-bom,utf-8,cp932
autocmd BufReadPost *.vln let &fileformats = s:formats | let &fileencodings = s:encodings
