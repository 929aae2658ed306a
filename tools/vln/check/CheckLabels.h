#pragma once

#include "tools/vln/check/CheckFinding.h"
#include "tools/vln/reading/LineStartIndex.h"
#include "tools/vln/reading/StoryLines.h"

// Label lines that a jump or a choice cannot reach as their author expects:
// a label written twice (the search stops at the first), or one indented
// (the search wants it right after the line break).
CheckFindings CheckLabels(const StoryLines& lines, const LineStartIndex& starts);
