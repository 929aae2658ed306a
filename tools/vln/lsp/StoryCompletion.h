#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// A word that can be typed, and what to say beside it: for a label, the line
// it begins and what that line shows.
struct CompletionItem {
  std::u16string_view Word;
  std::string Detail;
};

// Enough for any list an author reads through; more says the list is cut.
inline constexpr size_t MaxCompletions = 500;

// What can be typed at a place: the words of its kind that begin with what
// is typed, in the story's order, at most MaxCompletions of them; Cut when
// there are more.
struct Completions {
  CompletionSpot Spot;
  std::vector<CompletionItem> Items;
  bool Cut = false;
};

std::optional<Completions> CompletionsAt(StoryAnalysis& analysis, int64_t pos);

inline constexpr std::array<std::u16string_view, 11> CommandKeywords{
    u"AON", u"BON", u"CON", u"DON", u"EON", u"AOFF", u"BOFF", u"COFF", u"DOFF", u"EOFF", u"END"};
