#include "tools/vln/check/CheckStory.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "tools/vln/check/CheckLabels.h"
#include "tools/vln/check/CheckMarkup.h"
#include "tools/vln/check/CheckReach.h"

CheckFindings CheckStory(const std::u16string& text, const StoryLines& lines) {
  if (text.empty()) {
    return {{1, CheckFinding::Severity::Error,
             "the story is empty: the reader shows \"ファイルが開けません\"", 0, "empty-story", {}}};
  }
  // One probe, and with it one index of the lines targets land on, for all
  // the checks.
  StoryProbe probe(text);
  std::vector<int64_t> anchors;
  CheckFindings all = CheckMarkup(text, lines, probe.Starts(), anchors);
  for (CheckFindings more : {CheckLabels(lines, probe.Starts()), CheckReach(probe, lines)}) {
    for (const CheckFinding& finding : more) {
      anchors.push_back(lines.Lines()[lines.LineIndexAt(finding.Pos)].Start);
    }
    all.insert(all.end(), std::make_move_iterator(more.begin()),
               std::make_move_iterator(more.end()));
  }
  // Listed as they always were: by line, and within a line by the part of it
  // each is about, so that the ranges do not reorder what vln check prints.
  std::vector<size_t> order(all.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return anchors[a] < anchors[b]; });
  CheckFindings sorted;
  sorted.reserve(all.size());
  for (const size_t i : order) sorted.push_back(std::move(all[i]));
  return sorted;
}
