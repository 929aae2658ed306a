#pragma once

#include "tools/vln/lsp/LspDocument.h"
#include "tools/vln/lsp/LspServer.h"

// textDocument/documentSymbol: every passage, named by its label or else by
// what its first line shows. The answer is kept with the document, and an
// edit the analysis follows has only its own line's entries written again.
LspReply DocumentOutline(LspDocument& document, const Json& params);
