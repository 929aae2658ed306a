#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "tools/vln/reading/LineMarkup.h"
#include "tools/vln/reading/StoryLines.h"

// A label the story defines, where a jump or a choice can reach it.
struct StoryLabel {
  std::u16string_view Label;  // "[name]"
  size_t Line = 0;
};

// Every label after the first line (the first has no line break in front of
// it, so no search ever finds it), each name once: the first, where its
// search lands.
std::vector<StoryLabel> StoryLabelsOf(const StoryLines& lines);

// Whether the reader, having shown this line, goes on with the next one: no
// jump, no choice waiting, no END.
bool RunsOnToNextLine(std::u16string_view line);
