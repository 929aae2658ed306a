#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/vln/reading/StoryLines.h"
#include "tools/vln/reading/StoryProbe.h"

// A step from the start of line `index` with all five flags at `flags` that
// the caller has taken already, or null: the walk then need not take it again.
// The walk reads only where it goes and the choice it leaves.
using KnownLineStep = std::function<const StoryProbe::Step*(size_t index, int16_t flags)>;

// For each line of `lines`, whether some reading from the first line shows
// it, whatever the flags and whichever choices are taken. The lines are
// walked with the reader's own line interpreter.
std::vector<bool> ReachedLines(const std::u16string& text, const StoryLines& lines);
// The same, stepping with `probe`, which holds the story text.
std::vector<bool> ReachedLines(StoryProbe& probe, const StoryLines& lines,
                               const KnownLineStep& known = {});
