// Hover, outline, folding and semantic tokens: ways of looking at the text.
#include "tools/vln/lsp/LspCapabilities.h"
#include "tools/vln/lsp/LspInbox.h"
#include "tools/vln/lsp/LspRequests.h"
#include "tools/vln/lsp/LspTextWriter.h"
#include "tools/vln/lsp/StoryHover.h"
#include "tools/vln/lsp/StoryTokens.h"
#include "tools/vln/map/StoryMap.h"

namespace {

constexpr int SymbolKindNamespace = 3;

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
  LspResultText reply;
  LspTextWriter out(reply.Text, document);
  out.Raw('[');
  for (const StoryMap::Passage& passage : analysis.Map().Passages) {
    const auto& lines = analysis.Lines().Lines();
    const int64_t start = lines[passage.FirstLine].Start;
    std::string name = Utf8Of(passage.Label.empty() ? passage.FirstText : passage.Label);
    if (name.empty()) name = "line " + std::to_string(passage.FileLine);
    out.Raw(reply.Text.size() == 1 ? "{\"name\":" : ",{\"name\":");
    out.String(name);
    if (!passage.Label.empty()) {
      out.Raw(",\"detail\":");
      out.String(passage.FirstText);
    }
    out.Raw(",\"kind\":");
    out.Number(SymbolKindNamespace);
    out.Raw(",\"range\":");
    out.StoryRange(start, lines[passage.LastLine].End - start);
    out.Raw(",\"selectionRange\":");
    out.StoryRange(start, static_cast<int64_t>(passage.Label.size()));
    out.Raw('}');
  }
  out.Raw(']');
  return reply;
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
  LspResultText reply;
  LspTextWriter out(reply.Text, document);
  out.Raw("{\"data\":[");
  size_t lastLine = 0;
  size_t lastStart = 0;
  const auto number = [&](size_t value) {
    if (reply.Text.back() != '[') out.Raw(',');
    out.Number(value);
  };
  size_t count = 0;
  for (const StoryToken& token : StoryTokensOf(analysis)) {
    if (++count % 4096 == 0) StopIfOvertaken();
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
      number(a.Line - lastLine);
      number(a.Line == lastLine ? a.Character - lastStart : a.Character);
      number(b.Character - a.Character);
      number(static_cast<size_t>(SemanticTokenType(token.TokenKind)));
      number(static_cast<size_t>(SemanticTokenModifiers(token.TokenKind)));
      lastLine = a.Line;
      lastStart = a.Character;
    }
  }
  out.Raw("]}");
  return reply;
}

}  // namespace

void AddViewRequests(LspServer& server) {
  server.AddRequest("textDocument/hover", AtPosition(server, Hover));
  server.AddRequest("textDocument/documentSymbol", ForDocument(server, Symbols));
  server.AddRequest("textDocument/foldingRange", ForDocument(server, Folding));
  server.AddRequest("textDocument/semanticTokens/full", ForDocument(server, SemanticTokens));
}
