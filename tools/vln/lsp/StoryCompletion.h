#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "tools/vln/lsp/StoryAnalysis.h"

// What can be typed at a place in a line, read the way the line interpreter
// splits the line: after ">>" (and ">>A" ... ">>E", and after the comma of a
// conditional jump's names) a label; in the list after "??" a label; after
// "::" a command keyword.
struct CompletionSpot {
  enum class Kind { Label, Keyword };
  Kind What = Kind::Label;
  int64_t From = 1;            // where the word being typed begins
  std::u16string_view Typed;   // what of it is typed so far
  // The "]" right after the cursor that an editor closing brackets put
  // there: a label completed over it would end in "]]".
  int64_t ClosingAfter = 0;
};

std::optional<CompletionSpot> CompletionAt(StoryAnalysis& analysis, int64_t pos);

inline constexpr std::array<std::u16string_view, 11> CommandKeywords{
    u"AON", u"BON", u"CON", u"DON", u"EON", u"AOFF", u"BOFF", u"COFF", u"DOFF", u"EOFF", u"END"};
