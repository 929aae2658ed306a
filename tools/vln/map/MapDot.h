#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "tools/vln/map/StoryMap.h"

// The map in Graphviz's DOT language, UTF-8. Passages are nodes named "L"
// and their first line number, targets that begin no line "missing1", ...;
// every node and edge carries a `class` ("passage", "unreached", "end",
// "stuck", "missing"; "next", "jump", "conditional", "choice", "misread")
// that the SVG keeps.
std::string StoryMapDot(const StoryMap& map);

// The same text, handed to `sink` in pieces of a hundred kilobytes or so.
using DotSink = std::function<void(std::string_view bytes)>;
void WriteStoryMapDot(const StoryMap& map, const DotSink& sink);

// `text` inside a DOT quoted string, and that string with its quotes: always
// valid DOT and UTF-8, whatever the story holds, and shown by Graphviz exactly
// as the reader would see it (control characters as their pictures).
std::string DotEscaped(std::u16string_view text);
std::string DotQuoted(std::u16string_view text);
