#include "tools/vln/check/CheckStory.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "tools/vln/check/CheckLabels.h"
#include "tools/vln/check/CheckMarkup.h"
#include "tools/vln/check/CheckReach.h"
#include "tools/vln/reading/RunBeside.h"

CheckFindings CheckStory(const std::u16string& text, const StoryLines& lines, size_t worthAThread) {
  if (text.empty()) {
    return {{1, CheckFinding::Severity::Error,
             "the story is empty: the reader shows \"ファイルが開けません\"", 0, "empty-story", {}}};
  }
  // One probe, and with it one index of the lines targets land on, for all
  // the checks.
  StoryProbe probe(text, lines);
  std::vector<int64_t> anchors;
  // The reach walk and the reading of each line share only what neither
  // changes (the text, its lines, the index), so on a long story, as an
  // editor's server checks it on every change, the walk runs beside the
  // rest.
  CheckFindings all;
  CheckFindings reach;
  RunBeside(
      lines.Lines().size(), worthAThread,
      [&] {
        all = CheckMarkup(text, lines, probe.Starts(), anchors);
        CheckFindings labels = CheckLabels(lines, probe.Starts());
        all.insert(all.end(), std::make_move_iterator(labels.begin()),
                   std::make_move_iterator(labels.end()));
      },
      [&] { reach = CheckReach(probe, lines); });
  // The labels' and the walk's findings are ordered by their line's start.
  for (size_t i = anchors.size(); i < all.size(); ++i) {
    anchors.push_back(lines.Lines()[lines.LineIndexAt(all[i].Pos)].Start);
  }
  for (const CheckFinding& finding : reach) {
    anchors.push_back(lines.Lines()[lines.LineIndexAt(finding.Pos)].Start);
  }
  all.insert(all.end(), std::make_move_iterator(reach.begin()), std::make_move_iterator(reach.end()));
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
