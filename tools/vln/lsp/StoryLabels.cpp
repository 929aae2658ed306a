#include "tools/vln/lsp/StoryLabels.h"

#include <string>
#include <unordered_set>

std::vector<StoryLabel> StoryLabelsOf(const StoryLines& lines) {
  std::vector<StoryLabel> labels;
  std::unordered_set<std::u16string_view> seen;
  for (size_t i = 1; i < lines.Lines().size(); ++i) {
    const std::u16string_view label = LineLabel(lines.Lines()[i].Text);
    if (!label.empty() && seen.insert(label).second) labels.push_back({label, i});
  }
  return labels;
}

bool RunsOnToNextLine(std::u16string_view line) {
  const LineMarkup markup = ReadLineMarkup(line);
  return !markup.ChoicePending() && !markup.Ends && !markup.HasJump();
}
