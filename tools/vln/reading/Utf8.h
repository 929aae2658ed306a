#pragma once

#include <string>
#include <string_view>

// The story is UTF-16; the terminal and JSON readers want UTF-8.

// Writes one code point (at most U+10FFFF, not a surrogate) as UTF-8 at
// `out`, which has room for four bytes, and returns the end: inline for
// writers that make room for a whole text first.
inline char* PutUtf8(char* out, char32_t cp) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | (cp >> 6));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (cp >> 12));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (cp >> 18));
    *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// Appends one code point (at most U+10FFFF, not a surrogate) as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

// Calls `unit(c)` for each lone surrogate unit and `point(cp)` for everything
// else, pairs joined into one code point.
template <typename OnPoint, typename OnLoneSurrogate>
void ForEachCodePoint(std::u16string_view text, OnPoint point, OnLoneSurrogate unit) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      point(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      unit(c);
    } else {
      point(static_cast<char32_t>(c));
    }
  }
}

// Story text as UTF-8 for a JSON library; a lone surrogate unit (a caption
// that begins inside a pair) goes out as U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Arguments and script lines arrive as bytes that are meant to be UTF-8;
// anything malformed becomes U+FFFD so that it can still be shown.
std::u16string Utf8ToUtf16(std::string_view bytes);
