#include "tools/vln/lsp/EditorLines.h"

#include <algorithm>

EditorLines::EditorLines(std::u16string_view text) : text_(text) {
  starts_.push_back(0);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r') {
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      starts_.push_back(i + 1);
    } else if (c == u'\n') {
      starts_.push_back(i + 1);
    }
  }
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
