#include "tools/vln/check/CheckStory.h"

#include <algorithm>

#include "tools/vln/check/CheckLabels.h"
#include "tools/vln/check/CheckMarkup.h"
#include "tools/vln/check/CheckReach.h"

CheckFindings CheckStory(const std::u16string& text, const StoryLines& lines) {
  CheckFindings all = CheckMarkup(text, lines);
  for (CheckFindings more : {CheckLabels(lines), CheckReach(text, lines)}) {
    all.insert(all.end(), std::make_move_iterator(more.begin()),
               std::make_move_iterator(more.end()));
  }
  std::stable_sort(all.begin(), all.end(),
                   [](const CheckFinding& a, const CheckFinding& b) { return a.Pos < b.Pos; });
  return all;
}
