#include "tools/vln/check/CheckStory.h"

#include <algorithm>

#include "tools/vln/check/CheckLabels.h"
#include "tools/vln/check/CheckMarkup.h"
#include "tools/vln/check/CheckReach.h"

CheckFindings CheckStory(const std::u16string& text, const StoryLines& lines) {
  // One probe, and with it one index of the lines targets land on, for all
  // the checks.
  StoryProbe probe(text);
  CheckFindings all = CheckMarkup(text, lines, probe.Starts());
  for (CheckFindings more : {CheckLabels(lines), CheckReach(probe, lines)}) {
    all.insert(all.end(), std::make_move_iterator(more.begin()),
               std::make_move_iterator(more.end()));
  }
  std::stable_sort(all.begin(), all.end(),
                   [](const CheckFinding& a, const CheckFinding& b) { return a.Pos < b.Pos; });
  return all;
}
