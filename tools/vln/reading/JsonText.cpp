#include "tools/vln/reading/JsonText.h"

#include "tools/vln/reading/Utf8.h"

namespace {

void AppendEscape(std::string& out, char16_t unit) {
  static constexpr char Hex[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += Hex[(unit >> shift) & 0xF];
}

}  // namespace

void AppendJsonString(std::string& out, std::u16string_view text, LoneSurrogates lone) {
  out += '"';
  ForEachCodePoint(
      text,
      [&](char32_t cp) {
        switch (cp) {
          case U'"': out += "\\\""; break;
          case U'\\': out += "\\\\"; break;
          case U'\b': out += "\\b"; break;
          case U'\f': out += "\\f"; break;
          case U'\n': out += "\\n"; break;
          case U'\r': out += "\\r"; break;
          case U'\t': out += "\\t"; break;
          default:
            if (cp < 0x20) {
              AppendEscape(out, static_cast<char16_t>(cp));
            } else {
              AppendUtf8(out, cp);
            }
        }
      },
      [&](char16_t unit) {
        if (lone == LoneSurrogates::Escaped) {
          AppendEscape(out, unit);
        } else {
          AppendUtf8(out, U'\uFFFD');
        }
      });
  out += '"';
}
