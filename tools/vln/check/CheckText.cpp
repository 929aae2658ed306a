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
