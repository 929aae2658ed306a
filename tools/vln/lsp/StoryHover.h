#pragma once

#include <cstdint>
#include <string>

#include "tools/vln/lsp/StoryAnalysis.h"

// What the reader does with the line at `pos`, in Markdown: the caption it
// shows, where each key of a choice goes, where a jump lands, the flags it
// switches, whether it ends the story, and whether any reading reaches it.
// Empty when there is no line there.
std::string HoverAt(StoryAnalysis& analysis, int64_t pos);
