#include "tools/vln/reading/StoryLines.h"

#include <algorithm>
#include <bit>

#include "tools/vln/reading/RunBeside.h"

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

// How many CRs p[0, n) holds, eight units at a time: each lane counts its
// own, and the lanes are summed before any can overflow. (A population
// count is a library call on a plain x86-64 build.)
size_t CountCarriageReturns(const char16_t* p, size_t n) {
  size_t count = 0;
  size_t i = 0;
#ifdef __SSE2__
  const __m128i cr = _mm_set1_epi16(u'\r');
  constexpr size_t MostPerLane = 0xFFFF;
  while (i + 8 <= n) {
    __m128i lanes = _mm_setzero_si128();
    for (size_t steps = 0; steps < MostPerLane && i + 8 <= n; ++steps, i += 8) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      lanes = _mm_sub_epi16(lanes, _mm_cmpeq_epi16(v, cr));  // a match is -1
    }
    alignas(16) uint16_t each[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(each), lanes);
    for (const uint16_t lane : each) count += lane;
  }
#endif
  for (; i < n; ++i) count += p[i] == u'\r' ? 1 : 0;
  return count;
}

}  // namespace

// Lines are cut where the engine cuts them: at each CR LF, the first one from
// the line's start on. A CR without its LF stays inside the line. Every CR
// LF is a break, so a long story is cut in two halves at one, on two
// threads.
StoryLines::StoryLines(std::u16string_view text, size_t unitsWorthAThread) : text_(text) {
  const char16_t* p = text.data();
  const size_t n = text.size();
  size_t half = n;
  for (size_t i = n / 2; i + 1 < n; ++i) {
    if (p[i] == u'\r' && p[i + 1] == u'\n') {
      half = i + 2;
      break;
    }
  }
  Part front;
  Part back;
  // The front makes room for the back's lines too, so that they join it
  // without its vectors growing.
  RunBeside(
      n, unitsWorthAThread, [&] { back = Cut(half, n, n); }, [&] { front = Cut(0, half, n); });
  // The back's editor lines go on from where the front's end.
  for (long& fileLine : back.FirstFileLine) fileLine += front.FileLines;
  lines_ = std::move(front.Lines);
  marks_ = std::move(front.Marks);
  firstFileLine_ = std::move(front.FirstFileLine);
  lines_.insert(lines_.end(), back.Lines.begin(), back.Lines.end());
  marks_.insert(marks_.end(), back.Marks.begin(), back.Marks.end());
  firstFileLine_.insert(firstFileLine_.end(), back.FirstFileLine.begin(), back.FirstFileLine.end());
  IndexBlocks(0);
}

void StoryLines::IndexBlocks(size_t fromBlock) {
  const size_t blocks = (text_.size() + 2) >> BlockShift;
  lineOfBlock_.resize(std::min(fromBlock, lineOfBlock_.size()));
  lineOfBlock_.reserve(blocks + 1);
  size_t line = lineOfBlock_.empty() ? 0 : lineOfBlock_.back();
  for (size_t block = lineOfBlock_.size(); block <= blocks; ++block) {
    const auto first = static_cast<int64_t>(block << BlockShift);
    while (line + 1 < lines_.size() && lines_[line + 1].Start <= first) ++line;
    lineOfBlock_.push_back(static_cast<uint32_t>(line));
  }
}

void StoryLines::LineResized(std::u16string_view text, size_t index, int64_t delta) {
  text_ = text;
  const char16_t* p = text.data();
  for (size_t i = 0; i < lines_.size(); ++i) {
    Line& line = lines_[i];
    if (i > index) line.Start += delta;
    if (i >= index) line.End += delta;
    line.Text = std::u16string_view(p + line.Start - 1, static_cast<size_t>(line.End - line.Start));
  }
  IndexBlocks(static_cast<size_t>(lines_[index].Start) >> BlockShift);
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

// The lines of text[from, to), where `from` begins a line, numbered from
// editor line 1, with room for the lines up to `roomTo`.
StoryLines::Part StoryLines::Cut(size_t from, size_t to, size_t roomTo) const {
  const char16_t* p = text_.data();
  Part part;
  size_t start = from;
  uint8_t marks = 0;
  long feeds = 0;
  // Every line ends at a CR: room for them all at once, rather than copies
  // of a long story's lines as they grow.
  const size_t crs = CountCarriageReturns(p + from, roomTo - from);
  part.Lines.reserve(crs);
  part.Marks.reserve(crs);
  part.FirstFileLine.reserve(crs);
  for (size_t i = NextNotable(p, from, to); i < to; i = NextNotable(p, i + 1, to)) {
    if (p[i] != u'\r') {
      marks |= MarkOf(p[i]);
      if (p[i] == u'\n') ++feeds;
      continue;
    }
    if (i + 1 >= to || p[i + 1] != u'\n') continue;
    part.Lines.push_back({static_cast<int64_t>(start) + 1, static_cast<int64_t>(i) + 1,
                          text_.substr(start, i - start)});
    part.Marks.push_back(marks);
    part.FirstFileLine.push_back(part.FileLines + 1);
    part.FileLines += feeds + 1;
    marks = 0;
    feeds = 0;
    start = i + 2;
    ++i;  // the LF is the break's, not the next line's
  }
  return part;
}
