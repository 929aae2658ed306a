#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "tools/vln/lsp/StoryAnalysis.h"
#include "tools/vln/reading/StoryTargets.h"

// A stretch of the story text: 1-based position and length in units.
struct StoryPlace {
  int64_t Pos = 1;
  int64_t Length = 0;
};

// Where the target at `pos` takes the reader: the start of the line it
// lands on, covering what its name matched there. Nothing when `pos` is on
// no target, or its search finds no line.
std::optional<StoryPlace> LandingPlaceAt(StoryAnalysis& analysis, int64_t pos);

// The line `pos` asks about: for a target, the line it lands on; otherwise
// the line `pos` is on. Nothing for a target that lands nowhere.
std::optional<size_t> LineAskedAbout(StoryAnalysis& analysis, int64_t pos);

// One way the reader can come to a line.
struct WayIn {
  const StoryTarget* Target = nullptr;  // nullptr: the line before runs on
  StoryPlace Place;                     // the target's name, or the line before
};

// Every way into `line` that the reader can take: jumps, both names of
// conditional jumps, choice items, and the line before when it runs on.
std::vector<WayIn> WaysInto(StoryAnalysis& analysis, size_t line);

// How many ways lead into each label line after the first, for a count
// above each.
struct LabelWays {
  size_t Line = 0;
  size_t Count = 0;
};
std::vector<LabelWays> WaysIntoLabelLines(StoryAnalysis& analysis);
