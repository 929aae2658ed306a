#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "tools/vln/check/CheckFinding.h"
#include "tools/vln/reading/LineStartIndex.h"
#include "tools/vln/reading/StoryLines.h"

// Other readers keep positions within a line in 16 bits: a longer line is
// reported.
inline constexpr size_t LongestPortableLine = 32766;

// Reads every line's markup the way the line interpreter does when the Down
// arrow reaches the line, and reports jumps, choices and commands that would
// not do what their author meant. `starts` indexes `text` (or a copy of it).
//
// Each finding covers what is wrong; `anchors` gets, for each, the place
// `vln check` has always listed it by: the line's start, or the "??", "::"
// or ">>" whose part of the line it is about.
CheckFindings CheckMarkup(std::u16string_view text, const StoryLines& lines,
                          const LineStartIndex& starts, std::vector<int64_t>& anchors);
