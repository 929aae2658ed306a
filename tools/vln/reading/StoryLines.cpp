#include "tools/vln/reading/StoryLines.h"

#include <algorithm>
#include <bit>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// The mark a unit sets, or 0: CR is handled apart, as it may end the line.
uint8_t MarkOf(char16_t unit) {
  switch (unit) {
    case u'?': return StoryLines::Question;
    case u':': return StoryLines::Colon;
    case u'>': return StoryLines::Greater;
    case u'[': return StoryLines::Bracket;
    case u'\n': return StoryLines::LoneLineFeed;
    case u'\uFFFD': return StoryLines::Replacement;
    default: return 0;
  }
}

bool Notable(char16_t unit) { return unit == u'\r' || MarkOf(unit) != 0; }

// Index of the first unit from `i` on that is a CR or sets a mark, or n.
// Most of a story is text with none of them, passed eight units at a time.
size_t NextNotable(const char16_t* p, size_t i, size_t n) {
#ifdef __SSE2__
  const __m128i cr = _mm_set1_epi16(u'\r');
  const __m128i question = _mm_set1_epi16(u'?');
  const __m128i colon = _mm_set1_epi16(u':');
  const __m128i greater = _mm_set1_epi16(u'>');
  const __m128i bracket = _mm_set1_epi16(u'[');
  const __m128i feed = _mm_set1_epi16(u'\n');
  const __m128i replacement = _mm_set1_epi16(static_cast<short>(0xFFFD));
  for (; i + 8 <= n; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    __m128i hit = _mm_or_si128(_mm_cmpeq_epi16(v, cr), _mm_cmpeq_epi16(v, question));
    hit = _mm_or_si128(hit, _mm_or_si128(_mm_cmpeq_epi16(v, colon), _mm_cmpeq_epi16(v, greater)));
    hit = _mm_or_si128(hit, _mm_or_si128(_mm_cmpeq_epi16(v, bracket), _mm_cmpeq_epi16(v, feed)));
    hit = _mm_or_si128(hit, _mm_cmpeq_epi16(v, replacement));
    if (const int mask = _mm_movemask_epi8(hit); mask != 0) {
      return i + static_cast<size_t>(std::countr_zero(static_cast<unsigned>(mask))) / 2;
    }
  }
#endif
  while (i < n && !Notable(p[i])) ++i;
  return i;
}

// How many CRs p[0, n) holds, eight units at a time.
size_t CountCarriageReturns(const char16_t* p, size_t n) {
  size_t count = 0;
  size_t i = 0;
#ifdef __SSE2__
  const __m128i cr = _mm_set1_epi16(u'\r');
  for (; i + 8 <= n; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    count += static_cast<size_t>(
                 std::popcount(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(v, cr))))) /
             2;
  }
#endif
  for (; i < n; ++i) count += p[i] == u'\r' ? 1 : 0;
  return count;
}

}  // namespace

// Lines are cut where the engine cuts them: at each CR LF, the first one from
// the line's start on. A CR without its LF stays inside the line.
StoryLines::StoryLines(std::u16string_view text) : text_(text) {
  const char16_t* p = text.data();
  const size_t n = text.size();
  long fileLine = 1;
  size_t start = 0;  // 0-based
  uint8_t marks = 0;
  long feeds = 0;
  // Every line ends at a CR: room for them all at once, rather than copies
  // of a long story's lines as they grow.
  const size_t crs = CountCarriageReturns(p, n);
  lines_.reserve(crs);
  marks_.reserve(crs);
  firstFileLine_.reserve(crs);
  for (size_t i = NextNotable(p, 0, n); i < n; i = NextNotable(p, i + 1, n)) {
    if (p[i] != u'\r') {
      marks |= MarkOf(p[i]);
      if (p[i] == u'\n') ++feeds;
      continue;
    }
    if (i + 1 >= n || p[i + 1] != u'\n') continue;
    lines_.push_back({static_cast<int64_t>(start) + 1, static_cast<int64_t>(i) + 1,
                      text.substr(start, i - start)});
    marks_.push_back(marks);
    firstFileLine_.push_back(fileLine);
    fileLine += feeds + 1;
    marks = 0;
    feeds = 0;
    start = i + 2;
    ++i;  // the LF is the break's, not the next line's
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
  if ((marks_[index] & LoneLineFeed) == 0) return firstFileLine_[index];
  const int64_t inside = std::clamp<int64_t>(pos - line.Start, 0, static_cast<int64_t>(line.Text.size()));
  const std::u16string_view before = line.Text.substr(0, static_cast<size_t>(inside));
  return firstFileLine_[index] + static_cast<long>(std::count(before.begin(), before.end(), u'\n'));
}
