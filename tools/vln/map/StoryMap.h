#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "tools/vln/reading/RunBeside.h"
#include "tools/vln/reading/StoryLines.h"

// A story as a graph of passages, the way a reader can move through it. A
// passage begins at the first line and at every line a jump or a choice can
// land on, and runs until the next such line or until a line that jumps,
// offers a choice or ends the story.
struct StoryMap {
  struct Passage {
    size_t FirstLine = 0;  // indices into the story's lines
    size_t LastLine = 0;
    long FileLine = 1;     // of the first line, as an editor counts
    std::u16string_view Label;      // "[name]" of the first line, if any
    std::u16string_view FirstText;  // what the first line shows
    std::u16string FlagChanges;  // "A on, C off": what its commands switch, in order
    bool Ends = false;     // the story can stop after its last line
    bool Stuck = false;    // it offers a choice no key can answer
    bool Reached = false;  // some reading from the first line gets here
  };

  enum class EdgeKind { Next, Jump, Conditional, Choice };

  struct Edge {
    size_t From = 0;
    EdgeKind Kind = EdgeKind::Next;
    size_t To = 0;           // a passage, or with ToMissing one of MissingTargets
    bool ToMissing = false;
    bool ReadAsConditional = false;  // a plain jump the reader takes as conditional
    // What its label is made of: a choice's digit and item ("1 [up]"), a
    // conditional's flag letter and branch ("A on"). Next and Jump have none.
    char16_t Key = 0;
    bool FlagOn = false;
    std::u16string_view Item;
  };

  std::vector<Passage> Passages;
  std::vector<Edge> Edges;
  // Targets that begin no line, each once.
  std::vector<std::u16string> MissingTargets;
  // Choice lists as the interpreter left them, for items the story does not
  // hold as they stand; every other item is a view into the story.
  std::deque<std::u16string> KeptLists;
};

// Builds the map of a story text (CR LF after every line) from the line
// interpreter's own steps and the same reading of the markup `vln check`
// uses. Passages of nothing but blank lines are left out unless a jump or a
// choice lands there.
// From `worthAThread` lines on, two threads share the work.
StoryMap BuildStoryMap(const std::u16string& text, const StoryLines& lines,
                       size_t worthAThread = LinesWorthAThread);
