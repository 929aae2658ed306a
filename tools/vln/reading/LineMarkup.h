#pragma once

#include <array>
#include <cstddef>
#include <string_view>

class LineStartIndex;

// One story line's markup, split the way the line interpreter splits it when
// the Down arrow reaches the line: label prefix, then "??", then "::", then
// ">>". Views point into the line given to ReadLineMarkup.
struct LineMarkup {
  std::u16string_view Trimmed;      // the whole line without spaces around it
  std::u16string_view Label;        // "[name]" when the line begins with one
  bool UnclosedLabel = false;       // "[" begins the line but no "]" follows
  bool HasChoice = false;
  std::u16string_view ChoiceMarker; // from "??" on
  std::u16string_view ChoiceList;
  bool HasCommand = false;
  std::u16string_view CommandMarker;  // from "::" on
  std::u16string_view Command;
  bool Ends = false;                // "END" in the command: no jump is taken
  // What is left once choice and command are split off; the jump is read
  // from it.
  std::u16string_view Rest;
  int64_t JumpAt = 0;               // 1-based position of the first ">>" in Rest, 0 for none
  int Flag = -1;                    // 0-4 for a conditional jump on flag A-E, else -1
  int64_t MarkerAt = 0;             // position of that ">>A"...">>E" marker in Rest
  std::u16string_view Names;        // a conditional jump's two names
  std::u16string_view PlainTarget;  // a plain jump's target
  std::u16string_view Shown;        // the caption the line leaves

  bool HasJump() const { return JumpAt > 0; }
  // A choice with items waits for a key: Down does nothing.
  bool ChoicePending() const { return HasChoice && !ChoiceList.empty(); }
  bool JumpTaken() const { return HasJump() && !Ends; }
  std::u16string_view JumpMarker() const { return Rest.substr(static_cast<size_t>(JumpAt - 1)); }
};

LineMarkup ReadLineMarkup(std::u16string_view line);

// The label a line begins with: "[name]" right at its start, where a jump's
// search can find it. Empty when the line has none (an indented label is
// none: no search finds it). Inline, as the line index asks it of every line.
inline std::u16string_view LineLabel(std::u16string_view line) {
  if (line.empty() || line.front() != u'[') return {};
  const size_t close = line.find(u']');
  return close == std::u16string_view::npos ? std::u16string_view() : line.substr(0, close + 1);
}

// Whether the line interpreter finds no "??", "::" or ">>" in `line` (it
// holds no "?", ":" or ">" at all). Such a line is shown, its label prefix
// taken off, and the step goes on with the next line, flags and choice
// untouched. Most lines of a story are such plain text.
bool WithoutMarkers(std::u16string_view line);

// A conditional jump whose author meant a plain one: the whole target begins
// a line, or its one name does not look like a label (`Go>>Apple`).
bool ReadAsConditionalByMistake(const LineMarkup& markup, const LineStartIndex& starts);

// The `index`-th item of a comma-separated list as GetListItem picks it, but
// as a view into `list`, so that where it stands is known; an empty view at
// the end of the list when there is no such item.
std::u16string_view ListItemView(std::u16string_view list, int index);

// The item of `list` that begins at `start`, with `start` moved on to the
// next one; past the last item, the empty view at the list's end, as
// ListItemView gives for an item the list does not have.
inline std::u16string_view NextListItem(std::u16string_view list, size_t& start) {
  if (start > list.size()) return list.substr(list.size());
  const size_t comma = list.find(u',', start);
  const std::u16string_view item =
      list.substr(start, comma == std::u16string_view::npos ? std::u16string_view::npos : comma - start);
  start = comma == std::u16string_view::npos ? list.size() + 1 : comma + 1;
  return item;
}

// The first `Count` items, each as ListItemView gives it, in one pass over
// the list: a choice's five keys are looked at together.
template <size_t Count>
std::array<std::u16string_view, Count> FirstListItems(std::u16string_view list) {
  std::array<std::u16string_view, Count> items;
  size_t start = 0;
  for (std::u16string_view& item : items) item = NextListItem(list, start);
  return items;
}
