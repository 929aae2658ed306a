#include "tools/vln/reading/StoryLines.h"

#include <algorithm>

#include "story/StoryStrings.h"

namespace {

long CountLineFeeds(std::u16string_view text) {
  return static_cast<long>(std::count(text.begin(), text.end(), u'\n'));
}

}  // namespace

// Lines are cut where the engine cuts them: at each CR LF found with the
// engine's own search.
StoryLines::StoryLines(std::u16string_view text) : text_(text) {
  long fileLine = 1;
  for (int64_t start = 1;;) {
    const int64_t end = StoryFind(start, text, u"\r\n");
    if (end == 0) break;
    const std::u16string_view line = StoryMid(text, start, end - start);
    lines_.push_back({start, end, line});
    firstFileLine_.push_back(fileLine);
    fileLine += CountLineFeeds(line) + 1;
    start = end + 2;
  }
  const size_t blocks = (text.size() + 2) >> BlockShift;
  lineOfBlock_.reserve(blocks + 1);
  size_t line = 0;
  for (size_t block = 0; block <= blocks; ++block) {
    const auto first = static_cast<int64_t>(block << BlockShift);
    while (line + 1 < lines_.size() && lines_[line + 1].Start <= first) ++line;
    lineOfBlock_.push_back(static_cast<uint32_t>(line));
  }
}

size_t StoryLines::LineIndexAt(int64_t pos) const {
  if (pos >= 0 && static_cast<size_t>(pos >> BlockShift) < lineOfBlock_.size()) {
    size_t line = lineOfBlock_[static_cast<size_t>(pos >> BlockShift)];
    while (line + 1 < lines_.size() && lines_[line + 1].Start <= pos) ++line;
    return line;
  }
  const auto after = std::upper_bound(lines_.begin(), lines_.end(), pos,
                                      [](int64_t p, const Line& line) { return p < line.Start; });
  if (after == lines_.begin()) return 0;
  return static_cast<size_t>(after - lines_.begin()) - 1;
}

long StoryLines::FileLineAt(int64_t pos) const {
  if (lines_.empty()) return 1;
  const size_t index = LineIndexAt(pos);
  const Line& line = lines_[index];
  const int64_t inside = std::clamp<int64_t>(pos - line.Start, 0, static_cast<int64_t>(line.Text.size()));
  return firstFileLine_[index] + CountLineFeeds(line.Text.substr(0, static_cast<size_t>(inside)));
}
