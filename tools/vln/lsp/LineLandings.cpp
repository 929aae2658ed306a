#include "tools/vln/lsp/LineLandings.h"

#include <algorithm>

LineLandings::LineLandings(const StoryLines& lines) : lines_(lines) {
  const auto& all = lines.Lines();
  for (size_t i = 1; i < all.size(); ++i) sorted_.push_back(static_cast<uint32_t>(i));
  std::stable_sort(sorted_.begin(), sorted_.end(),
                   [&](uint32_t a, uint32_t b) { return all[a].Text < all[b].Text; });
  const size_t n = sorted_.size();
  smallest_.assign(2 * n, 0);
  std::copy(sorted_.begin(), sorted_.end(), smallest_.begin() + static_cast<std::ptrdiff_t>(n));
  for (size_t i = n; i-- > 1;) smallest_[i] = std::min(smallest_[2 * i], smallest_[2 * i + 1]);
}

size_t LineLandings::FirstLineBeginning(std::u16string_view name) const {
  const auto& all = lines_.Lines();
  // Lines beginning with `name` sort together, right from the first not
  // less than it.
  const auto from = std::lower_bound(sorted_.begin(), sorted_.end(), name,
                                     [&](uint32_t line, std::u16string_view n) { return all[line].Text < n; });
  const auto to = std::partition_point(from, sorted_.end(),
                                       [&](uint32_t line) { return all[line].Text.starts_with(name); });
  if (from == to) return NoLine;
  const size_t n = sorted_.size();
  uint32_t best = UINT32_MAX;
  for (size_t lo = static_cast<size_t>(from - sorted_.begin()) + n,
              hi = static_cast<size_t>(to - sorted_.begin()) + n;
       lo < hi; lo /= 2, hi /= 2) {
    if (lo % 2 == 1) best = std::min(best, smallest_[lo++]);
    if (hi % 2 == 1) best = std::min(best, smallest_[--hi]);
  }
  return best;
}
