// Hover, outline, folding and semantic tokens: ways of looking at the text.
#include "tools/vln/lsp/LspCapabilities.h"
#include "tools/vln/lsp/LspRequests.h"
#include "tools/vln/lsp/StoryHover.h"
#include "tools/vln/lsp/StoryTokens.h"
#include "tools/vln/map/StoryMap.h"

namespace {

// A passage is a run of the story's text: the outline shows it as a string.
constexpr int SymbolKindString = 15;

LspReply Hover(LspDocument& document, int64_t pos, const Json&) {
  StoryAnalysis& analysis = document.Analysis();
  const std::string text = HoverAt(analysis, pos);
  if (text.empty()) return Json(nullptr);
  const StoryLines::Line& line = analysis.Lines().Lines()[analysis.Lines().LineIndexAt(pos)];
  return Json{{"contents", {{"kind", "markdown"}, {"value", text}}},
              {"range", document.StoryRange(line.Start, static_cast<int64_t>(line.Text.size()))}};
}

// The editor range of a passage: its first line's start to its last line's
// end.
Json PassageRange(LspDocument& document, const StoryMap::Passage& passage) {
  const auto& lines = document.Analysis().Lines().Lines();
  const int64_t start = lines[passage.FirstLine].Start;
  return document.StoryRange(start, lines[passage.LastLine].End - start);
}

LspReply Symbols(LspDocument& document, const Json&) {
  StoryAnalysis& analysis = document.Analysis();
  Json symbols = Json::array();
  for (const StoryMap::Passage& passage : analysis.Map().Passages) {
    const int64_t start = analysis.Lines().Lines()[passage.FirstLine].Start;
    std::string name = Utf8Of(passage.Label.empty() ? passage.FirstText : passage.Label);
    if (name.empty()) name = "line " + std::to_string(passage.FileLine);
    Json symbol;
    symbol["name"] = std::move(name);
    if (!passage.Label.empty()) symbol["detail"] = Utf8Of(passage.FirstText);
    symbol["kind"] = SymbolKindString;
    symbol["range"] = PassageRange(document, passage);
    symbol["selectionRange"] = document.StoryRange(start, static_cast<int64_t>(passage.Label.size()));
    symbols.push_back(std::move(symbol));
  }
  return symbols;
}

LspReply Folding(LspDocument& document, const Json&) {
  Json ranges = Json::array();
  for (const StoryMap::Passage& passage : document.Analysis().Map().Passages) {
    const Json range = PassageRange(document, passage);
    const Json& first = range["start"]["line"];
    const Json& last = range["end"]["line"];
    if (last.get<size_t>() > first.get<size_t>()) {
      ranges.push_back({{"startLine", first}, {"endLine", last}, {"kind", "region"}});
    }
  }
  return ranges;
}

LspReply SemanticTokens(LspDocument& document, const Json&) {
  StoryAnalysis& analysis = document.Analysis();
  const EditorStory& story = analysis.Story();
  const EditorLines& lines = document.Lines();
  std::vector<size_t> data;
  size_t lastLine = 0;
  size_t lastStart = 0;
  for (const StoryToken& token : StoryTokensOf(analysis)) {
    const size_t from = story.EditorOffset(token.Pos);
    const size_t to = story.EditorOffset(token.Pos + token.Length);
    // A token runs over a lone LF, where the editor has two lines: one
    // piece on each.
    for (size_t line = lines.LineOf(from); line < lines.Count() && lines.Start(line) < to; ++line) {
      const size_t start = std::max(from, lines.Start(line));
      const size_t end = std::min(to, lines.End(line));
      if (end <= start) continue;
      const EditorPosition a = PositionAt(lines, start, document.Encoding());
      const EditorPosition b = PositionAt(lines, end, document.Encoding());
      data.push_back(a.Line - lastLine);
      data.push_back(a.Line == lastLine ? a.Character - lastStart : a.Character);
      data.push_back(b.Character - a.Character);
      data.push_back(SemanticTokenType(token.TokenKind));
      data.push_back(SemanticTokenModifiers(token.TokenKind));
      lastLine = a.Line;
      lastStart = a.Character;
    }
  }
  return Json{{"data", std::move(data)}};
}

}  // namespace

void AddViewRequests(LspServer& server) {
  server.AddRequest("textDocument/hover", AtPosition(server, Hover));
  server.AddRequest("textDocument/documentSymbol", ForDocument(server, Symbols));
  server.AddRequest("textDocument/foldingRange", ForDocument(server, Folding));
  server.AddRequest("textDocument/semanticTokens/full", ForDocument(server, SemanticTokens));
}
