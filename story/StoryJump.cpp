#include "story/StoryJump.h"

#include "story/StoryStrings.h"

JumpCondition ReadJumpCondition(std::u16string_view line, int64_t jump) {
  // One pass over the line's ">>" finds every marker.
  JumpCondition found;
  for (int64_t at = jump; at > 0; at = StoryFind(at + 1, line, u">>")) {
    const auto letter = static_cast<size_t>(at) + 1;  // just after the ">>"
    if (letter < line.size() && line[letter] >= u'A' && line[letter] < u'A' + FlagCount) {
      const int flag = line[letter] - u'A';
      if (flag < found.Flag) {
        found.Flag = flag;
        found.MarkerAt = at;
      }
    }
  }
  return found;
}
