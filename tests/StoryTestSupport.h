#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// Story text as the loader builds it: every line followed by CR LF.
inline std::u16string StoryOf(std::initializer_list<std::u16string_view> lines) {
  std::u16string text;
  for (const auto line : lines) {
    text += line;
    text += u"\r\n";
  }
  return text;
}
