#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "tools/vln/reading/StoryLines.h"

// The line a jump or a choice goes to: the reader searches the story for a
// line break followed by the name, so it is the first line after the first
// whose text begins with the name. The lines are sorted once; every name is
// then answered in logarithmic time, where the search would read the story.
class LineLandings {
 public:
  static constexpr size_t NoLine = static_cast<size_t>(-1);

  // `lines` must outlive the index.
  explicit LineLandings(const StoryLines& lines);

  // The line the search for `name` finds, NoLine when it finds none (or,
  // for an empty name in a story of one line, only the story's end).
  size_t FirstLineBeginning(std::u16string_view name) const;

 private:
  const StoryLines& lines_;
  // Lines after the first, by their text, then by their number.
  std::vector<uint32_t> sorted_;
  // The smallest line number in each range of `sorted_`: a tree kept in an
  // array, leaves from size() on.
  std::vector<uint32_t> smallest_;
};
