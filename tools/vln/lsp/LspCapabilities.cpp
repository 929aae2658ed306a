#include "tools/vln/lsp/LspCapabilities.h"

#include <array>

namespace {

// Standard token types, so that a client colours a story with its own theme
// without knowing anything of stories.
constexpr std::array<const char*, 6> TokenTypes{"namespace", "operator", "enumMember", "macro", "keyword", "parameter"};
constexpr std::array<const char*, 1> TokenModifiers{"declaration"};

}  // namespace

size_t SemanticTokenType(StoryToken::Kind kind) {
  switch (kind) {
    case StoryToken::Kind::Label:
    case StoryToken::Kind::Target:
      return 0;
    case StoryToken::Kind::ChoiceMarker:
    case StoryToken::Kind::CommandMarker:
    case StoryToken::Kind::JumpMarker:
      return 1;
    case StoryToken::Kind::ChoiceItem:
      return 2;
    case StoryToken::Kind::Command:
      return 3;
    case StoryToken::Kind::Keyword:
      return 4;
    case StoryToken::Kind::Flag:
      return 5;
  }
  return 0;
}

size_t SemanticTokenModifiers(StoryToken::Kind kind) { return kind == StoryToken::Kind::Label ? 1 : 0; }

Json ServerCapabilities(PositionEncoding encoding) {
  Json capabilities;
  capabilities["positionEncoding"] = encoding == PositionEncoding::Utf8 ? "utf-8" : "utf-16";
  capabilities["textDocumentSync"] = {{"openClose", true}, {"change", 2}, {"save", {{"includeText", false}}}};
  capabilities["definitionProvider"] = true;
  capabilities["referencesProvider"] = true;
  capabilities["renameProvider"] = {{"prepareProvider", true}};
  capabilities["completionProvider"] = {{"triggerCharacters", {">", "?", ",", ":", "["}}};
  capabilities["hoverProvider"] = true;
  capabilities["documentSymbolProvider"] = true;
  capabilities["foldingRangeProvider"] = true;
  capabilities["codeActionProvider"] = {{"codeActionKinds", {"quickfix"}}};
  capabilities["codeLensProvider"] = {{"resolveProvider", false}};
  capabilities["semanticTokensProvider"] = {
      {"legend", {{"tokenTypes", TokenTypes}, {"tokenModifiers", TokenModifiers}}}, {"full", true}};
  capabilities["experimental"] = {{"velnoriMap", true}, {"velnoriPlay", true}};
  return capabilities;
}
