#pragma once

#include <cstddef>
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

  // The units a line holds that its markup, or a mistake in it, is made of.
  // Found while the lines are cut, so that the walks and checks over every
  // line pass over plain text without reading it again.
  enum Mark : uint8_t {
    Question = 1,      // "?"
    Colon = 2,         // ":"
    Greater = 4,       // ">"
    Bracket = 8,       // "["
    LoneLineFeed = 16,
    Replacement = 32,  // U+FFFD, what undecodable bytes became
  };

  // From `unitsWorthAThread` units on, two threads cut the lines.
  explicit StoryLines(std::u16string_view text, size_t unitsWorthAThread = UnitsWorthAThread);
  static constexpr size_t UnitsWorthAThread = size_t{1} << 18;

  const std::vector<Line>& Lines() const { return lines_; }
  uint8_t Marks(size_t index) const { return marks_[index]; }
  // No "??", "::" or ">>" can be in the line: the interpreter shows it and
  // goes on with the next one, flags and choice untouched.
  bool Plain(size_t index) const { return (marks_[index] & (Question | Colon | Greater)) == 0; }
  // The editor's 1-based line number of the unit at `pos`.
  long FileLineAt(int64_t pos) const;
  // Index of the line whose break (or text) holds `pos`; the last line's index
  // for positions beyond the end.
  size_t LineIndexAt(int64_t pos) const;

  // After line `index` grew by `delta` units within itself, in `text`, the
  // story text it now belongs to, and kept its marks: the lines after it
  // move along.
  void LineResized(std::u16string_view text, size_t index, int64_t delta);

 private:
  struct Part {
    std::vector<Line> Lines;
    std::vector<uint8_t> Marks;
    std::vector<long> FirstFileLine;
    long FileLines = 0;  // the editor's lines the part's lines make
  };
  Part Cut(size_t from, size_t to, size_t roomTo) const;
  // lineOfBlock_ from block `fromBlock` on.
  void IndexBlocks(size_t fromBlock);

  std::u16string_view text_;
  std::vector<Line> lines_;
  std::vector<uint8_t> marks_;
  std::vector<long> firstFileLine_;
  // For each block of 64 positions, the index of the line holding
  // its first position: a position's line is then a step or two away, where
  // a binary search over a long story misses the cache at every step.
  static constexpr int BlockShift = 6;
  std::vector<uint32_t> lineOfBlock_;
};
