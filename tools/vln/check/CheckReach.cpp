#include "tools/vln/check/CheckReach.h"

#include <vector>

#include "story/StoryStrings.h"
#include "tools/vln/check/CheckText.h"
#include "tools/vln/reading/StoryReach.h"

namespace {

bool IsBlank(const StoryLines::Line& line) { return StoryTrim(line.Text).empty(); }

}  // namespace

CheckFindings CheckReach(StoryProbe& probe, const StoryLines& lines) {
  const std::vector<bool> reached = ReachedLines(probe, lines);
  CheckFindings findings;
  const auto& all = lines.Lines();
  // Blank lines say nothing either way; they neither start nor end a run.
  for (size_t i = 0; i < all.size();) {
    if (reached[i] || IsBlank(all[i])) {
      ++i;
      continue;
    }
    size_t last = i;
    size_t j = i + 1;
    for (; j < all.size() && (!reached[j] || IsBlank(all[j])); ++j) {
      if (!IsBlank(all[j])) last = j;
    }
    std::string message = "no reading from the first line reaches " + Quoted(StoryTrim(all[i].Text));
    if (last > i) {
      message += " (nor anything up to line " + std::to_string(lines.FileLineAt(all[last].Start)) + ")";
    }
    const int64_t end = all[last].Start + static_cast<int64_t>(all[last].Text.size());
    findings.push_back({all[i].Start, CheckFinding::Severity::Warning, std::move(message),
                        end - all[i].Start, "unreached-lines", {}});
    i = j;
  }
  return findings;
}
