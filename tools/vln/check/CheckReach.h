#pragma once

#include <string>

#include "tools/vln/check/CheckFinding.h"
#include "tools/vln/reading/StoryLines.h"
#include "tools/vln/reading/StoryProbe.h"

// Lines that no reading from the first line can show, whatever the flags and
// whichever choices are taken. Each run of such lines is one warning.
CheckFindings CheckReach(StoryProbe& probe, const StoryLines& lines);
