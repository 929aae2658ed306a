#pragma once

#include <string_view>
#include <vector>

// Answers "does CR LF followed by `target` occur in the story?", the search a
// jump and a choice make, for many targets without scanning the story once
// per target (a story with thousands of jumps would take seconds).
class LineStartIndex {
 public:
  // `text` must outlive the index.
  explicit LineStartIndex(std::u16string_view text);

  bool Begins(std::u16string_view target) const;

 private:
  std::u16string_view text_;
  // The text after each CR LF up to the next one (or to the end), sorted.
  std::vector<std::u16string_view> afterBreaks_;
};
