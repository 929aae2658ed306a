#include "tools/vln/lsp/StoryNavigation.h"

#include "tools/vln/lsp/StoryLabels.h"

std::optional<StoryPlace> LandingPlaceAt(StoryAnalysis& analysis, int64_t pos) {
  const StoryTarget* target = analysis.Targets().At(pos);
  if (target == nullptr || !target->Landing.Lands()) return std::nullopt;
  const StoryLines::Line& line = analysis.Lines().Lines()[target->Landing.Line];
  return StoryPlace{line.Start, static_cast<int64_t>(target->Name.size())};
}

std::optional<size_t> LineAskedAbout(StoryAnalysis& analysis, int64_t pos) {
  if (analysis.Lines().Lines().empty()) return std::nullopt;
  if (const StoryTarget* target = analysis.Targets().At(pos)) {
    if (!target->Landing.Lands()) return std::nullopt;
    return target->Landing.Line;
  }
  return analysis.Lines().LineIndexAt(pos);
}

std::vector<WayIn> WaysInto(StoryAnalysis& analysis, size_t line) {
  std::vector<WayIn> ways;
  const auto& lines = analysis.Lines().Lines();
  if (line >= lines.size()) return ways;
  if (line > 0 && RunsOnToNextLine(lines[line - 1].Text)) {
    ways.push_back({nullptr, {lines[line - 1].Start, static_cast<int64_t>(lines[line - 1].Text.size())}});
  }
  for (const StoryTarget* target : analysis.Targets().LandingOn(line)) {
    if (target->Taken) ways.push_back({target, {target->Pos, static_cast<int64_t>(target->Name.size())}});
  }
  return ways;
}

std::vector<LabelWays> WaysIntoLabelLines(StoryAnalysis& analysis) {
  std::vector<LabelWays> counts;
  const auto& lines = analysis.Lines().Lines();
  for (size_t i = 1; i < lines.size(); ++i) {
    if (LineLabel(lines[i].Text).empty()) continue;
    size_t count = RunsOnToNextLine(lines[i - 1].Text) ? 1 : 0;
    for (const StoryTarget* target : analysis.Targets().LandingOn(i)) count += target->Taken ? 1 : 0;
    counts.push_back({i, count});
  }
  return counts;
}
