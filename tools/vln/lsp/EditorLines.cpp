#include "tools/vln/lsp/EditorLines.h"

#include <algorithm>

namespace {

// Where the line break at or after `from` ends, or 0 when none is left.
size_t NextLineStart(std::u16string_view text, size_t& from) {
  for (size_t i = from; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r') {
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      from = i + 1;
      return i + 1;
    }
    if (c == u'\n') {
      from = i + 1;
      return i + 1;
    }
  }
  from = text.size();
  return 0;
}

}  // namespace

EditorLines::EditorLines(std::u16string_view text) : text_(text) {
  starts_.push_back(0);
  size_t at = 0;
  while (const size_t start = NextLineStart(text, at)) starts_.push_back(start);
}

void EditorLines::Replaced(std::u16string_view text, size_t from, size_t removed, size_t inserted) {
  // The lines before the one that holds the unit in front of the edit keep
  // their starts; that one is read again, as the edit may join a CR at its
  // end to an LF, or part them.
  const size_t kept = LineOf(from == 0 ? 0 : from - 1);
  const size_t insertedEnd = from + inserted;
  text_ = text;
  std::vector<size_t> found;
  size_t old = kept + 1;
  bool met = false;
  size_t at = starts_[kept];
  while (const size_t start = NextLineStart(text, at)) {
    // Past the inserted text, and not right after it, a line begins where
    // it began before the edit; from the first such start on the old
    // starts hold, moved along.
    if (start > insertedEnd) {
      const size_t before = start + removed - inserted;
      while (old < starts_.size() && starts_[old] < before) ++old;
      if (old < starts_.size() && starts_[old] == before) {
        met = true;
        break;
      }
    }
    found.push_back(start);
  }
  if (!met) old = starts_.size();
  const auto tail = starts_.erase(starts_.begin() + static_cast<std::ptrdiff_t>(kept + 1),
                                  starts_.begin() + static_cast<std::ptrdiff_t>(old));
  const auto moved = starts_.insert(tail, found.begin(), found.end()) + static_cast<std::ptrdiff_t>(found.size());
  for (auto it = moved; it != starts_.end(); ++it) *it = *it + inserted - removed;
}

size_t EditorLines::End(size_t line) const {
  if (line + 1 >= starts_.size()) return text_.size();
  size_t end = starts_[line + 1] - 1;
  if (text_[end] == u'\n' && end > starts_[line] && text_[end - 1] == u'\r') --end;
  return end;
}

size_t EditorLines::LineOf(size_t offset) const {
  const auto after = std::upper_bound(starts_.begin(), starts_.end(), offset);
  return static_cast<size_t>(after - starts_.begin()) - 1;
}

size_t EditorLines::LineOf(size_t offset, size_t lookFirst) const {
  for (size_t line = lookFirst; line < starts_.size() && line <= lookFirst + 1; ++line) {
    if (starts_[line] <= offset && (line + 1 == starts_.size() || offset < starts_[line + 1])) return line;
  }
  return LineOf(offset);
}
