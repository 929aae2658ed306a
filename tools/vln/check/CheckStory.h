#pragma once

#include <string>

#include "tools/vln/check/CheckFinding.h"
#include "tools/vln/reading/StoryLines.h"

// Every finding for one story text, in the order of the text. An empty text
// is one finding: the reader cannot open an empty story.
CheckFindings CheckStory(const std::u16string& text, const StoryLines& lines);
