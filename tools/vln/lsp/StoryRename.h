#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tools/vln/lsp/StoryAnalysis.h"
#include "tools/vln/lsp/StoryNavigation.h"

// A change to the story text: the units at [Pos, Pos + Length) become Text.
struct StoryEdit {
  int64_t Pos = 1;
  int64_t Length = 0;
  std::u16string Text;
};

// The label a rename at `pos` would rename: on a label line's label, or on a
// target that lands on a label line by that label's exact name.
struct RenameSpot {
  StoryPlace Name;            // the name between the brackets, where `pos` is
  std::u16string_view Label;  // "[name]"
  size_t Line = 0;            // the label line
};

// Nothing, with `why` said, when `pos` is on no label that can be renamed.
std::optional<RenameSpot> RenameSpotAt(StoryAnalysis& analysis, int64_t pos, std::string& why);

// The edits that rename the label at `pos` and every target that lands on it
// by its exact name. Refused (no edits, `why` said) when there is no label
// there, when `newName` cannot be a label's name, or when the text after the
// edits would send any target somewhere else than before: another line's
// label taking over the new name, or a target that matched the old name's
// beginning. `newName` may come with its brackets or without.
std::vector<StoryEdit> RenameLabel(StoryAnalysis& analysis, int64_t pos, std::u16string_view newName,
                                   std::string& why);

// `text` with `edits` made; the edits are in the order of the text and do not
// overlap.
std::u16string EditedText(std::u16string_view text, const std::vector<StoryEdit>& edits);

// Works out every landing again in the text after `edits` (which keep every
// line) and names the first target that would land elsewhere than before, as
// a sentence; empty when none would. The targets of line `skipLine`, which
// the edits mean to change, are not compared.
std::string FirstLandingChanged(StoryAnalysis& analysis, const std::vector<StoryEdit>& edits,
                                size_t skipLine = static_cast<size_t>(-1));

// How a message names a target: `jump target "[x]" on line 12`.
std::string TargetDescription(const StoryTarget& target, const StoryLines& lines);
