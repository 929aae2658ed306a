#include "story/StoryStrings.h"

#include <algorithm>
#include <bit>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Index of the first `what` in p[0, n), or n. `what` is not empty.
//
// A jump searches the whole story for CR LF + label, and every line of a story
// starts with CR LF, so scanning for the first unit alone would stop at every
// line. Comparing the first and the last unit of `what` at once, eight
// positions per step, leaves almost only true matches to check in full.
size_t FindUnits(const char16_t* p, size_t n, std::u16string_view what) {
  const size_t m = what.size();
  if (m > n) return n;
  const char16_t first = what.front();
  const char16_t last = what.back();
  const auto matchesAt = [&](size_t pos) {
    return std::equal(what.begin() + 1, what.end(), p + pos + 1);
  };
#ifdef __SSE2__
  // Both loads of one step stay inside p[0, n). The last step is moved back
  // to end at the last place `what` fits, so that no position is left to a
  // unit-by-unit loop: most searches are in one line of a few dozen units,
  // and the step over again of positions already passed finds no match there
  // that it had not found.
  if (n >= m - 1 + 8) {
    const __m128i firstV = _mm_set1_epi16(static_cast<short>(first));
    const __m128i lastV = _mm_set1_epi16(static_cast<short>(last));
    const size_t lastStep = n - (m - 1) - 8;
    for (size_t i = 0;; i = std::min(i + 8, lastStep)) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + m - 1));
      auto mask = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(a, firstV), _mm_cmpeq_epi16(b, lastV))));
      while (mask != 0) {
        const int bit = std::countr_zero(mask);
        const size_t pos = i + static_cast<size_t>(bit) / 2;
        if (matchesAt(pos)) return pos;
        mask &= ~(3u << bit);
      }
      if (i == lastStep) return n;
    }
  }
#endif
  for (size_t i = 0; i + m <= n; ++i) {
    if (p[i] == first && p[i + m - 1] == last && matchesAt(i)) return i;
  }
  return n;
}

bool IsTrimmedSpace(char16_t c) { return c == u' ' || c == u'\u3000'; }

}  // namespace

int64_t StoryFind(int64_t start, std::u16string_view text, std::u16string_view what) {
  const auto length = static_cast<int64_t>(text.size());
  start = std::max<int64_t>(start, 1);
  if (start > length) return 0;
  if (what.empty()) return start;
  const auto from = static_cast<size_t>(start - 1);
  const size_t rest = text.size() - from;
  const size_t found = FindUnits(text.data() + from, rest, what);
  return found == rest ? 0 : static_cast<int64_t>(from + found) + 1;
}

std::u16string_view StoryMid(std::u16string_view text, int64_t start, int64_t length) {
  start = std::max<int64_t>(start, 1);
  if (start > static_cast<int64_t>(text.size()) || length <= 0) return {};
  return text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(length));
}

std::u16string_view StoryMid(std::u16string_view text, int64_t start) {
  start = std::max<int64_t>(start, 1);
  if (start > static_cast<int64_t>(text.size())) return {};
  return text.substr(static_cast<size_t>(start - 1));
}

std::u16string_view StoryLeft(std::u16string_view text, int64_t count) {
  if (count <= 0) return {};
  return text.substr(0, static_cast<size_t>(count));
}

std::u16string_view StoryTrim(std::u16string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsTrimmedSpace(text[begin])) ++begin;
  while (end > begin && IsTrimmedSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::u16string StoryUpperCase(std::u16string_view text) {
  std::u16string upper(text);
  for (char16_t& c : upper) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return upper;
}
