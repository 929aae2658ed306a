" Vim syntax file
" Language:	Velnori story (.vln)
"
" One story line at a time, in the reader's order: the label prefix first,
" then the choice list after the first ??, the command part after the first
" :: before it, and a jump after the first >> before both. Read from the
" left that is: a jump runs until :: or ??, a command until ??, a choice to
" the end of the line, and whichever marker comes first on the line opens.

if exists("b:current_syntax")
  finish
endif

syn match vlnLabel /^[ 　]*\[[^\]]*\]/

syn region vlnChoice matchgroup=vlnChoiceMark start=/??/ end=/$/ oneline contains=vlnComma
syn region vlnCommand matchgroup=vlnCommandMark start=/::/ end=/\ze??\|$/ oneline contains=vlnFlagOn,vlnFlagOff,vlnEnd
syn region vlnJump matchgroup=vlnJumpMark start=/>>/ end=/\ze::\|\ze??\|$/ oneline
" Defined after the plain jump, so that it wins where both start.
syn region vlnConditional matchgroup=vlnJumpMark start=/>>\ze[A-E]/ end=/\ze::\|\ze??\|$/ oneline contains=vlnFlag,vlnComma

syn match vlnComma /,/ contained
syn match vlnFlag /\%(>>\)\@<=[A-E]/ contained
syn match vlnFlagOn /\c[A-E]ON/ contained
syn match vlnFlagOff /\c[A-E]OFF/ contained
syn match vlnEnd /\cEND/ contained

hi def link vlnLabel Label
hi def link vlnChoiceMark Operator
hi def link vlnCommandMark Operator
hi def link vlnJumpMark Statement
hi def link vlnChoice Identifier
hi def link vlnJump Identifier
hi def link vlnConditional Identifier
hi def link vlnComma Delimiter
hi def link vlnFlag Constant
hi def link vlnFlagOn Type
hi def link vlnFlagOff Type
hi def link vlnEnd Keyword

let b:current_syntax = "vln"
