#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "story/StoryState.h"

// Story text as the loader builds it: every line followed by CR LF.
template <typename Lines>
std::u16string StoryOfLines(const Lines& lines) {
  std::u16string text;
  for (const auto& line : lines) {
    text += line;
    text += u"\r\n";
  }
  return text;
}

inline std::u16string StoryOf(std::initializer_list<std::u16string_view> lines) {
  return StoryOfLines(lines);
}

inline std::u16string StoryOf(const std::vector<std::u16string>& lines) {
  return StoryOfLines(lines);
}

// A story record with every flag on, to see which ones an action clears.
inline StoryState AllFlagsOn() {
  StoryState story;
  story.FlagA = story.FlagB = story.FlagC = story.FlagD = story.FlagE = FlagOn;
  return story;
}
