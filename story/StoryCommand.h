#pragma once

#include <array>
#include <string_view>

#include "story/StoryState.h"

// What a line's command switches, as the interpreter finds it: the command
// upper-cased, each keyword counted wherever it stands, even inside another
// word. Every keyword but END is a flag letter followed by "ON" or "OFF".
struct CommandSwitches {
  std::array<bool, FlagCount> On{};
  std::array<bool, FlagCount> Off{};
  bool Ends = false;
};

CommandSwitches ReadCommand(std::u16string_view command);
