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
// One pass copies the entries between them, however many lines were edited.
void RewriteEdited(LspDocument& document, LspDocument::WrittenOutline& outline) {
  if (outline.EditedLines.empty()) return;
  StoryAnalysis& analysis = document.Analysis();
  const auto& passages = analysis.Map().Passages;
  std::vector<size_t> edited;
  for (const size_t line : outline.EditedLines) {
    const auto after = std::upper_bound(passages.begin(), passages.end(), line,
                                        [](size_t l, const StoryMap::Passage& p) { return l < p.FirstLine; });
    if (after != passages.begin() && line <= (after - 1)->LastLine) {
      edited.push_back(static_cast<size_t>(after - passages.begin()) - 1);
    }
  }
  outline.EditedLines.clear();
  std::sort(edited.begin(), edited.end());
  edited.erase(std::unique(edited.begin(), edited.end()), edited.end());

  // Written into the buffers the pass before left behind: a new one of
  // megabytes would cost more in page faults than the copy.
  LspDocument::WrittenOutline written;
  written.Text.swap(outline.SpareText);
  written.Text.clear();
  written.Text.reserve(outline.Text.size());
  written.Starts.swap(outline.SpareStarts);
  written.Starts.clear();
  written.Starts.reserve(outline.Starts.size());
  LspTextWriter out(written.Text, document);
  size_t next = 0;  // the first passage not yet written
  // Passages [next, end) as they were, each with the comma behind it.
  const auto copyUpTo = [&](size_t end) {
    const size_t from = outline.Starts[next];
    for (size_t i = next; i < end; ++i) written.Starts.push_back(outline.Starts[i] - from + written.Text.size());
    written.Text.append(outline.Text, from, outline.Starts[end] - from);
    next = end;
  };
  out.Raw('[');
  for (const size_t index : edited) {
    copyUpTo(index);
    written.Starts.push_back(written.Text.size());
    WriteEntry(out, analysis, passages[index]);
    if (index + 1 < passages.size()) out.Raw(',');
    next = index + 1;
  }
  copyUpTo(passages.size());
  written.Starts.push_back(written.Text.size());
  out.Raw(']');
  written.SpareText.swap(outline.Text);
  written.SpareStarts.swap(outline.Starts);
  outline = std::move(written);
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
