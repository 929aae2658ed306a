#include "tools/vln/lsp/LspOutline.h"

#include <algorithm>

#include "tools/vln/lsp/LspTextWriter.h"
#include "tools/vln/map/StoryMap.h"

namespace {

// A passage is a run of the story's text: the outline shows it as a string.
constexpr int SymbolKindString = 15;

void WriteEntry(LspTextWriter& out, StoryAnalysis& analysis, const StoryMap::Passage& passage) {
  const auto& lines = analysis.Lines().Lines();
  const int64_t start = lines[passage.FirstLine].Start;
  const std::u16string_view name = passage.Label.empty() ? passage.FirstText : passage.Label;
  out.Raw("{\"name\":");
  if (name.empty()) {
    out.String("line " + std::to_string(passage.FileLine));
  } else {
    out.String(name);
  }
  if (!passage.Label.empty()) {
    out.Raw(",\"detail\":");
    out.String(passage.FirstText);
  }
  out.Raw(",\"kind\":");
  out.Number(SymbolKindString);
  out.Raw(",\"range\":");
  out.StoryRange(start, lines[passage.LastLine].End - start);
  out.Raw(",\"selectionRange\":");
  out.StoryRange(start, static_cast<int64_t>(passage.Label.size()));
  out.Raw('}');
}

LspDocument::WrittenOutline WholeOutline(LspDocument& document) {
  StoryAnalysis& analysis = document.Analysis();
  const auto& passages = analysis.Map().Passages;
  LspDocument::WrittenOutline outline;
  outline.Starts.reserve(passages.size() + 1);
  LspTextWriter out(outline.Text, document);
  out.Raw('[');
  for (const StoryMap::Passage& passage : passages) {
    if (&passage != passages.data()) out.Raw(',');
    outline.Starts.push_back(outline.Text.size());
    WriteEntry(out, analysis, passage);
  }
  outline.Starts.push_back(outline.Text.size());
  out.Raw(']');
  return outline;
}

// Writes again the entries of the passages that hold an edited line: its
// label, caption and length are all an edit the analysis follows changes.
void RewriteEdited(LspDocument& document, LspDocument::WrittenOutline& outline) {
  StoryAnalysis& analysis = document.Analysis();
  const auto& passages = analysis.Map().Passages;
  for (const size_t line : outline.EditedLines) {
    const auto after = std::upper_bound(passages.begin(), passages.end(), line,
                                        [](size_t l, const StoryMap::Passage& p) { return l < p.FirstLine; });
    if (after == passages.begin() || line > (after - 1)->LastLine) continue;
    const auto index = static_cast<size_t>(after - passages.begin()) - 1;
    std::string entry;
    LspTextWriter out(entry, document);
    WriteEntry(out, analysis, passages[index]);
    // Each entry but the last is followed by its comma.
    const size_t from = outline.Starts[index];
    const size_t length = outline.Starts[index + 1] - from - (index + 1 < passages.size() ? 1 : 0);
    outline.Text.replace(from, length, entry);
    const auto by = static_cast<std::ptrdiff_t>(entry.size()) - static_cast<std::ptrdiff_t>(length);
    for (size_t i = index + 1; i < outline.Starts.size(); ++i) {
      outline.Starts[i] = static_cast<size_t>(static_cast<std::ptrdiff_t>(outline.Starts[i]) + by);
    }
  }
  outline.EditedLines.clear();
}

}  // namespace

LspReply DocumentOutline(LspDocument& document, const Json&) {
  std::optional<LspDocument::WrittenOutline>& outline = document.Outline();
  if (outline) {
    RewriteEdited(document, *outline);
  } else {
    // Made whole before it is kept: a request overtaken half way leaves none.
    outline = WholeOutline(document);
  }
  LspResultText reply;
  reply.Text = outline->Text;
  return reply;
}
