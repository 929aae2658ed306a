#include "tools/vln/reading/ReadableText.h"

#include "tools/vln/reading/Utf8.h"

std::string ReadableText(std::u16string_view text) {
  // A unit becomes at most three bytes, a pair four: room for all of it
  // first, then each character written straight in (a finding quotes its
  // line, and a long story has thousands).
  constexpr size_t MostBytesPerUnit = 3;
  std::string out(text.size() * MostBytesPerUnit, '\0');
  char* p = out.data();
  ForEachCodePoint(
      text,
      [&](char32_t cp) {
        if (cp < 0x20) {
          p = PutUtf8(p, 0x2400 + cp);
        } else if (cp == 0x7F) {
          p = PutUtf8(p, 0x2421);
        } else {
          p = PutUtf8(p, cp);
        }
      },
      [&](char16_t) { p = PutUtf8(p, 0xFFFD); });
  out.resize(static_cast<size_t>(p - out.data()));
  return out;
}

std::string ReadableExcerpt(std::u16string_view text, size_t maxUnits) {
  if (text.size() <= maxUnits) return ReadableText(text);
  // Never cut between the two units of a pair.
  size_t cut = maxUnits;
  if (cut > 0 && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;
  return ReadableText(text.substr(0, cut)) + "…";
}
