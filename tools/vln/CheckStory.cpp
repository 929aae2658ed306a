#include "tools/vln/CheckStory.h"

#include <algorithm>

#include "tools/vln/CheckLabels.h"
#include "tools/vln/CheckMarkup.h"
#include "tools/vln/CheckReach.h"

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
