#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

// Windows speaks UTF-16 and the rest of the program passes file names as
// UTF-8, so every name crosses here. Ill-formed input gives nothing rather
// than a name with replacement characters that would open the wrong file.

inline std::optional<std::wstring> WideFromUtf8(std::string_view text) {
  if (text.empty()) return std::wstring();
  if (text.size() > 0x7FFFFFFF) return std::nullopt;
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
  return wide;
}

inline std::optional<std::string> Utf8FromWide(std::wstring_view text) {
  if (text.empty()) return std::string();
  if (text.size() > 0x7FFFFFFF) return std::nullopt;
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::nullopt;
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), size, narrow.data(), length,
                      nullptr, nullptr);
  return narrow;
}

// The program's UTF-16 strings as Windows' own, NUL-terminated.
inline std::wstring WideFrom(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}
