#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/TextFileInput.h"

// dot's layout time grows much faster than the map: above this many passages
// vln map lays out quickly (straight edges), and above the second it asks
// for DOT instead, which any size of story gives at once.
inline constexpr size_t MaxFullLayoutPassages = 100;
inline constexpr size_t MaxLaidOutPassages = 1000;

// `vln map STORY [-o FILE]`; `args` are the words after "map". Draws the
// story's passages and where a reader can go from each; the format follows
// FILE's extension (.svg, the default next to STORY, .png, .pdf, .dot), and
// "-o -" writes DOT to `out`. Returns 0 when the map was written, 1 for an
// empty story, 2 when the story cannot be read, the map cannot be drawn or
// written, or for bad usage.
int RunMap(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           TextFileInput& input);
