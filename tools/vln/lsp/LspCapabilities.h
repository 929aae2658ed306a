#pragma once

#include <cstddef>

#include "tools/vln/lsp/LspJson.h"
#include "tools/vln/lsp/LspPositions.h"
#include "tools/vln/lsp/StoryTokens.h"

// What the server offers, as the initialize result announces it.
Json ServerCapabilities(PositionEncoding encoding);

// A token's place in the semantic token legend, and its modifier bits.
size_t SemanticTokenType(StoryToken::Kind kind);
size_t SemanticTokenModifiers(StoryToken::Kind kind);
