#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "tools/vln/lsp/LineLandings.h"
#include "tools/vln/reading/StoryLines.h"

// A name the reader searches the story for: a jump's target, either name of
// a conditional jump, or an item of a choice that a key can pick.
struct NamedTarget {
  enum class Kind { Jump, FlagOn, FlagOff, Choice };
  Kind TargetKind = Kind::Jump;
  size_t Line = 0;      // the story line that holds it
  int64_t Pos = 1;      // 1-based story position of its first unit, or where an empty one stands
  std::u16string_view Name;
  int Key = 0;          // 1-5 for a choice item
  int Flag = -1;        // 0-4 (A-E) for a conditional jump
  // A jump that "END" or a pending choice comes before is never followed;
  // it still names where it would go.
  bool Taken = true;
  // The line the reader goes on with, LineLandings::NoLine when the search
  // finds none.
  size_t Landing = LineLandings::NoLine;
};

// Every target of a story, in the order of the text, each with where it
// lands by the reader's rule.
class TargetIndex {
 public:
  // `text` and `lines` must outlive the targets.
  TargetIndex(std::u16string_view text, const StoryLines& lines);

  const std::vector<NamedTarget>& All() const { return targets_; }
  const LineLandings& Landings() const { return landings_; }
  // The target whose name holds `pos`, or ends just before it (a cursor at
  // the end of a name is still on it); nullptr when none.
  const NamedTarget* At(int64_t pos) const;
  // The targets `line` holds, in the order of the text.
  std::vector<const NamedTarget*> OnLine(size_t line) const;
  // Targets that land on `line`, in the order of the text.
  std::vector<const NamedTarget*> LandingOn(size_t line) const;

 private:
  void ReadLine(size_t index, std::u16string_view text);
  void Add(NamedTarget target, std::u16string_view name, int64_t fallback);

  std::u16string_view text_;
  const StoryLines& lines_;
  LineLandings landings_;
  std::vector<NamedTarget> targets_;
  // Indices into targets_, ordered by landing line.
  std::vector<uint32_t> byLanding_;
};

// The `index`-th item of a comma-separated list as a view into it, split
// exactly as GetListItem splits; empty when there is none.
std::u16string_view ListItemSpan(std::u16string_view list, int index);
