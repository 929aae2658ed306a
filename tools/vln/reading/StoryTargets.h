#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "tools/vln/reading/LineStartIndex.h"
#include "tools/vln/reading/StoryLines.h"

// Where the reader lands for a target, by its own search: the first line
// that begins with the target, the story's first line never (no line break
// stands in front of it), a target that is only the beginning of a longer
// line on that line.
struct TargetLanding {
  // The CR in front of that line: what a jump returns. 0 when no line begins
  // with the target: a jump stops the story there, and a choice key goes on
  // at 2 + the target's length, counted from the start of the story.
  int64_t Break = 0;
  // Index into StoryLines of the line the reader lands on (a jump after one
  // empty step, a choice key just after the target on it); the number of
  // lines when nothing follows the break.
  size_t Line = 0;

  bool Found() const { return Break > 0; }
};

TargetLanding LandingOfTarget(const LineStartIndex& starts, const StoryLines& lines,
                              std::u16string_view target);

enum class TargetKind {
  Jump,     // a plain jump's target
  FlagOn,   // a conditional jump's first name, taken with the flag on
  FlagOff,  // its second name, taken with the flag off
  Choice,   // one of a choice's first five items
};

// One place in the story that names a target the reader can take.
struct StoryTarget {
  TargetKind Kind = TargetKind::Jump;
  int Flag = -1;       // 0-4 (A-E) for a conditional jump's names
  int Key = 0;         // 1-5 for a choice item
  size_t Line = 0;     // index into StoryLines of the line naming it
  int64_t Pos = 1;     // 1-based position of the name in the story text
  std::u16string_view Name;  // exactly as the reader searches for it: may be
                             // empty, and a choice item keeps its spaces
  TargetLanding Landing;
};

// Every target the reader can take, line by line in the order of the line:
// jumps (a plain jump read as a conditional one by its names, as the reader
// reads it), both names of a conditional jump, and the first five items of
// each choice, empty ones left out as no key answers them. Jumps the reader
// never takes (after "::" or END, inside a choice list) are not targets.
std::vector<StoryTarget> ReadStoryTargets(const StoryLines& lines, const LineStartIndex& starts);
