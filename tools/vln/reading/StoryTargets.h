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
  static constexpr size_t NoLine = static_cast<size_t>(-1);

  // The CR in front of that line: what a jump returns. 0 when no line begins
  // with the target: a jump stops the story there, and a choice key goes on
  // at 2 + the target's length, counted from the start of the story.
  int64_t Break = 0;
  // Index into StoryLines of the line the reader lands on (a jump after one
  // empty step, a choice key just after the target on it); NoLine when the
  // search finds none or nothing follows the break.
  size_t Line = NoLine;

  bool Found() const { return Break > 0; }
  bool Lands() const { return Line != NoLine; }
};

TargetLanding LandingOfTarget(const LineStartIndex& starts, const StoryLines& lines,
                              std::u16string_view target);

enum class TargetKind {
  Jump,     // a plain jump's target
  FlagOn,   // a conditional jump's first name, taken with the flag on
  FlagOff,  // its second name, taken with the flag off
  Choice,   // one of a choice's first five items
};

// One place in the story that names a target the reader searches for.
struct StoryTarget {
  TargetKind Kind = TargetKind::Jump;
  int Flag = -1;       // 0-4 (A-E) for a conditional jump's names
  int Key = 0;         // 1-5 for a choice item
  size_t Line = 0;     // index into StoryLines of the line naming it
  int64_t Pos = 1;     // 1-based position of the name in the story text
  std::u16string_view Name;  // exactly as the reader searches for it: may be
                             // empty, and a choice item keeps its spaces
  TargetLanding Landing;
  // A jump that END or a pending choice comes before is never followed; it
  // still names where it would go, so that a rename covers it too.
  bool Taken = true;
};

// Every target in the order of the text: jumps (a plain jump read as a
// conditional one by its names, as the reader reads it), both names of a
// conditional jump, then the first five items of each choice, empty ones
// left out as no key answers them. A jump after "::" is part of the command
// and no target.
std::vector<StoryTarget> ReadStoryTargets(const StoryLines& lines, const LineStartIndex& starts);

// The targets of one story text with the questions an editor asks of them.
class TargetIndex {
 public:
  // `text` and `lines` must outlive the index.
  TargetIndex(std::u16string_view text, const StoryLines& lines);

  const std::vector<StoryTarget>& All() const { return targets_; }
  const LineStartIndex& Starts() const { return starts_; }
  const StoryLines& Lines() const { return lines_; }
  // The target whose name holds `pos`, or ends just before it (a cursor at
  // the end of a name is still on it); nullptr when none.
  const StoryTarget* At(int64_t pos) const;
  // The targets `line` holds, in the order of the text.
  std::vector<const StoryTarget*> OnLine(size_t line) const;
  // Targets that land on `line`, in the order of the text.
  std::vector<const StoryTarget*> LandingOn(size_t line) const;

 private:
  const StoryLines& lines_;
  LineStartIndex starts_;
  std::vector<StoryTarget> targets_;
  // Indices into targets_, ordered by landing line.
  std::vector<uint32_t> byLanding_;
};
