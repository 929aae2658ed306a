#include "tools/vln/check/CheckText.h"

#include "tools/vln/reading/ReadableText.h"

std::string Quoted(std::u16string_view text) { return "\"" + ReadableExcerpt(text, 60) + "\""; }

int64_t PositionIn(std::u16string_view text, std::u16string_view part, int64_t fallback) {
  if (part.data() == nullptr || part.data() < text.data() ||
      part.data() > text.data() + text.size()) {
    return fallback;
  }
  return static_cast<int64_t>(part.data() - text.data()) + 1;
}

std::u16string_view ListItemView(std::u16string_view list, int index) {
  size_t start = 0;
  for (int i = 0; i < index; ++i) {
    const size_t comma = list.find(u',', start);
    if (comma == std::u16string_view::npos) return list.substr(list.size());
    start = comma + 1;
  }
  const size_t comma = list.find(u',', start);
  return list.substr(start, comma == std::u16string_view::npos ? std::u16string_view::npos
                                                               : comma - start);
}
