#include "tools/vln/reading/LineStartIndex.h"

#include <algorithm>

#include "story/StoryStrings.h"

namespace {
constexpr std::u16string_view LineBreak = u"\r\n";
}

LineStartIndex::LineStartIndex(std::u16string_view text) : text_(text) {
  for (int64_t end = StoryFind(1, text, LineBreak); end > 0;) {
    const int64_t start = end + 2;
    end = StoryFind(start, text, LineBreak);
    afterBreaks_.push_back(end > 0 ? StoryMid(text, start, end - start) : StoryMid(text, start));
  }
  std::sort(afterBreaks_.begin(), afterBreaks_.end());
}

// A target without CR cannot run over the CR LF that ends the piece it starts
// in, so it occurs after a line break exactly when one of the pieces begins
// with it; the smallest piece not less than the target is the one to look at.
// A target holding a CR (no loaded story has one) is searched for plainly.
bool LineStartIndex::Begins(std::u16string_view target) const {
  if (target.find(u'\r') != std::u16string_view::npos) {
    std::u16string search(LineBreak);
    search += target;
    return StoryFind(1, text_, search) > 0;
  }
  const auto candidate = std::lower_bound(afterBreaks_.begin(), afterBreaks_.end(), target);
  return candidate != afterBreaks_.end() && candidate->starts_with(target);
}
