#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/vln/lsp/StoryAnalysis.h"

// The parts of the markup an editor can colour, as the line interpreter
// reads them: "[name]" at the front, "??" and the items after it, "::" with
// its command and the keywords in it, ">>" with its flag letter and targets.
struct StoryToken {
  enum class Kind { Label, ChoiceMarker, ChoiceItem, CommandMarker, Command, Keyword, Flag, JumpMarker, Target };
  int64_t Pos = 1;
  int64_t Length = 0;
  Kind TokenKind = Kind::Label;
};

// Every token of the story lines [firstLine, endLine), in the order of the
// text, none overlapping.
std::vector<StoryToken> StoryTokensOf(const StoryAnalysis& analysis, size_t firstLine = 0,
                                      size_t endLine = static_cast<size_t>(-1));
