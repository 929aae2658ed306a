#pragma once

#include <string>

#include "tools/vln/check/CheckFinding.h"
#include "tools/vln/reading/RunBeside.h"
#include "tools/vln/reading/StoryLines.h"

// Every finding for one story text, in the order of the text. An empty text
// is one finding: the reader cannot open an empty story.
// From `worthAThread` lines on, two threads share the work.
CheckFindings CheckStory(const std::u16string& text, const StoryLines& lines,
                         size_t worthAThread = LinesWorthAThread);
