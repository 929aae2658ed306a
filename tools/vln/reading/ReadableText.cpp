#include "tools/vln/reading/ReadableText.h"

#include "tools/vln/reading/Utf8.h"

std::string ReadableText(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  ForEachCodePoint(
      text,
      [&](char32_t cp) {
        if (cp < 0x20) {
          AppendUtf8(out, 0x2400 + cp);
        } else if (cp == 0x7F) {
          AppendUtf8(out, 0x2421);
        } else {
          AppendUtf8(out, cp);
        }
      },
      [&](char16_t) { AppendUtf8(out, 0xFFFD); });
  return out;
}

std::string ReadableExcerpt(std::u16string_view text, size_t maxUnits) {
  if (text.size() <= maxUnits) return ReadableText(text);
  // Never cut between the two units of a pair.
  size_t cut = maxUnits;
  if (cut > 0 && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;
  return ReadableText(text.substr(0, cut)) + "…";
}
