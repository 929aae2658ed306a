#pragma once

#include <string>
#include <vector>

#include "tools/vln/reading/StoryLines.h"
#include "tools/vln/reading/StoryProbe.h"

// For each line of `lines`, whether some reading from the first line shows
// it, whatever the flags and whichever choices are taken. The lines are
// walked with the reader's own line interpreter.
std::vector<bool> ReachedLines(const std::u16string& text, const StoryLines& lines);
// The same, stepping with `probe`, which holds the story text.
std::vector<bool> ReachedLines(StoryProbe& probe, const StoryLines& lines);
