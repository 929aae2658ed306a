// Hover, outline, folding and semantic tokens: ways of looking at the text.
#include "tools/vln/lsp/LspCapabilities.h"
#include "tools/vln/lsp/LspInbox.h"
#include "tools/vln/lsp/LspOutline.h"
#include "tools/vln/lsp/LspRequests.h"
#include "tools/vln/lsp/LspTextWriter.h"
#include "tools/vln/lsp/StoryHover.h"
#include "tools/vln/lsp/StoryTokens.h"
#include "tools/vln/map/StoryMap.h"

namespace {

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

// The tokens of the story lines [firstLine, endLine) as the protocol's
// numbers: five for each, relative to the one before.
std::vector<uint32_t> TokenData(LspDocument& document, size_t firstLine, size_t endLine) {
  StoryAnalysis& analysis = document.Analysis();
  const EditorStory& story = analysis.Story();
  const EditorLines& lines = document.Lines();
  std::vector<uint32_t> data;
  size_t lastLine = 0;
  size_t lastStart = 0;
  size_t count = 0;
  for (const StoryToken& token : StoryTokensOf(analysis, firstLine, endLine)) {
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
      for (const size_t value : {a.Line - lastLine, a.Line == lastLine ? a.Character - lastStart : a.Character,
                                 b.Character - a.Character, SemanticTokenType(token.TokenKind),
                                 SemanticTokenModifiers(token.TokenKind)}) {
        data.push_back(static_cast<uint32_t>(value));
      }
      lastLine = a.Line;
      lastStart = a.Character;
    }
  }
  return data;
}

std::vector<uint32_t> WholeTokenData(LspDocument& document) {
  std::optional<std::vector<uint32_t>>& whole = document.WholeTokens();
  if (!whole) whole = TokenData(document, 0, static_cast<size_t>(-1));
  return *whole;
}

void WriteNumbers(LspTextWriter& out, const uint32_t* from, const uint32_t* to) {
  out.Raw('[');
  for (const uint32_t* at = from; at != to; ++at) {
    if (at != from) out.Raw(',');
    out.Number(*at);
  }
  out.Raw(']');
}

// Every token, with an id that a later delta request names.
LspReply SemanticTokens(LspDocument& document, const Json&) {
  LspDocument::SentTokens& sent = document.LastTokens();
  sent.Data = WholeTokenData(document);
  sent.ResultId = std::to_string(++sent.Count);
  LspResultText reply;
  LspTextWriter out(reply.Text, document);
  out.Raw("{\"resultId\":");
  out.String(sent.ResultId);
  out.Raw(",\"data\":");
  WriteNumbers(out, sent.Data.data(), sent.Data.data() + sent.Data.size());
  out.Raw('}');
  return reply;
}

// What changed since the tokens with previousResultId: one edit, from the
// first number that differs to the last; every token when that id is not
// the last one sent.
LspReply SemanticTokensDelta(LspDocument& document, const Json& params) {
  LspDocument::SentTokens& sent = document.LastTokens();
  if (StringMember(params, "previousResultId") != sent.ResultId || sent.ResultId.empty()) {
    return SemanticTokens(document, params);
  }
  std::vector<uint32_t> data = WholeTokenData(document);
  size_t same = 0;
  while (same < data.size() && same < sent.Data.size() && data[same] == sent.Data[same]) ++same;
  size_t sameEnd = 0;
  while (sameEnd < data.size() - same && sameEnd < sent.Data.size() - same &&
         data[data.size() - 1 - sameEnd] == sent.Data[sent.Data.size() - 1 - sameEnd]) {
    ++sameEnd;
  }
  LspResultText reply;
  LspTextWriter out(reply.Text, document);
  const std::string id = std::to_string(++sent.Count);
  out.Raw("{\"resultId\":");
  out.String(id);
  out.Raw(",\"edits\":[");
  if (same + sameEnd < std::max(data.size(), sent.Data.size())) {
    out.Raw("{\"start\":");
    out.Number(same);
    out.Raw(",\"deleteCount\":");
    out.Number(sent.Data.size() - same - sameEnd);
    out.Raw(",\"data\":");
    WriteNumbers(out, data.data() + same, data.data() + data.size() - sameEnd);
    out.Raw('}');
  }
  out.Raw("]}");
  sent.ResultId = id;
  sent.Data = std::move(data);
  return reply;
}

// The tokens of the story lines the range touches, numbered as in the whole.
LspReply SemanticTokensRange(LspDocument& document, const Json& params) {
  const Json* range = Member(params, "range");
  const Json* start = range != nullptr ? Member(*range, "start") : nullptr;
  const Json* end = range != nullptr ? Member(*range, "end") : nullptr;
  const std::optional<int64_t> from = start != nullptr ? document.StoryPosOf(*start) : std::nullopt;
  const std::optional<int64_t> to = end != nullptr ? document.StoryPosOf(*end) : std::nullopt;
  if (!from || !to) return LspError{LspErrorCode::InvalidParams, "params.range is missing"};
  const StoryLines& lines = document.Analysis().Lines();
  const std::vector<uint32_t> data =
      lines.Lines().empty() ? std::vector<uint32_t>()
                            : TokenData(document, lines.LineIndexAt(std::min(*from, *to)),
                                        lines.LineIndexAt(std::max(*from, *to)) + 1);
  LspResultText reply;
  LspTextWriter out(reply.Text, document);
  out.Raw("{\"data\":");
  WriteNumbers(out, data.data(), data.data() + data.size());
  out.Raw('}');
  return reply;
}

}  // namespace

void AddViewRequests(LspServer& server) {
  server.AddRequest("textDocument/hover", AtPosition(server, Hover));
  server.AddRequest("textDocument/documentSymbol", ForDocument(server, DocumentOutline));
  server.AddRequest("textDocument/foldingRange", ForDocument(server, Folding));
  server.AddRequest("textDocument/semanticTokens/full", ForDocument(server, SemanticTokens));
  server.AddRequest("textDocument/semanticTokens/full/delta", ForDocument(server, SemanticTokensDelta));
  server.AddRequest("textDocument/semanticTokens/range", ForDocument(server, SemanticTokensRange));
}
