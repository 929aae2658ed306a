#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/vln/lsp/StoryAnalysis.h"
#include "tools/vln/lsp/StoryNavigation.h"
#include "tools/vln/lsp/StoryRename.h"

// An obvious mend for a mistake: the edits that make it, and the place of the
// mistake it mends.
struct StoryFix {
  std::string Title;
  std::vector<StoryEdit> Edits;  // in the order of the text
  StoryPlace Mends;
  bool Preferred = false;
};

// The mends for mistakes on the lines that [from, to] touches:
//  - a choice item that begins no line because of the space in front of it
//    loses the space;
//  - a plain jump read as a conditional one (`Go>>Apple`) gets a bracketed
//    label, and the line it meant begins with that label;
//  - a target that begins no line becomes the nearest existing label, or
//    gets its passage, a line of its own at the end of the story;
//  - lone LFs become CR LF, all over the story at once, in a text that
//    holds CR LF already.
// A mend that would send any other target somewhere else is left out.
std::vector<StoryFix> FixesWithin(StoryAnalysis& analysis, int64_t from, int64_t to);

// The number of one-unit insertions, deletions and changes that turn `a`
// into `b`.
size_t EditDistance(std::u16string_view a, std::u16string_view b);
