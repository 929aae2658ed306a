#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/TextFileInput.h"

// `vln map STORY [-o FILE]`; `args` are the words after "map". Draws the
// story's passages and where a reader can go from each; the format follows
// FILE's extension (.svg, the default next to STORY, .png, .pdf, .dot), and
// "-o -" writes DOT to `out`. Returns 0 when the map was written, 1 for an
// empty story, 2 when the story cannot be read, the map cannot be drawn or
// written, or for bad usage.
int RunMap(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           TextFileInput& input);
