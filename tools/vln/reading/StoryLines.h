#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// The lines of a story text as the reader walks them, with the line numbers an
// editor shows for them. The two differ only where the file holds a lone LF:
// the reader keeps it inside the line, an editor starts a new line there.
class StoryLines {
 public:
  struct Line {
    int64_t Start;  // 1-based position of the line's first unit
    int64_t End;    // position of the CR of its line break
    std::u16string_view Text;
  };

  explicit StoryLines(std::u16string_view text);

  const std::vector<Line>& Lines() const { return lines_; }
  // The editor's 1-based line number of the unit at `pos`.
  long FileLineAt(int64_t pos) const;
  // Index of the line whose break (or text) holds `pos`; the last line's index
  // for positions beyond the end.
  size_t LineIndexAt(int64_t pos) const;

 private:
  std::u16string_view text_;
  std::vector<Line> lines_;
  std::vector<long> firstFileLine_;
  // For each block of 64 positions, the index of the line holding
  // its first position: a position's line is then a step or two away, where
  // a binary search over a long story misses the cache at every step.
  static constexpr int BlockShift = 6;
  std::vector<uint32_t> lineOfBlock_;
};
