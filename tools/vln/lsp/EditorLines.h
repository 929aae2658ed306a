#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// The lines of a document as an editor counts them: a line ends at CR LF, at
// a lone CR and at a lone LF. Offsets are 0-based UTF-16 units of the text.
class EditorLines {
 public:
  // `text` must outlive the lines.
  explicit EditorLines(std::u16string_view text);

  // Follows an edit of the text, now `text`: `removed` units at `from` gave
  // way to `inserted`. Only the lines around the edit are looked at again.
  void Replaced(std::u16string_view text, size_t from, size_t removed, size_t inserted);

  size_t Count() const { return starts_.size(); }
  size_t Start(size_t line) const { return starts_[line]; }
  // Where the line's text ends, in front of its break.
  size_t End(size_t line) const;
  // The line that holds `offset`; a break belongs to the line it ends.
  size_t LineOf(size_t offset) const;
  // The same, looking first at `lookFirst` and the line after it: an answer
  // walks the text from front to back.
  size_t LineOf(size_t offset, size_t lookFirst) const;
  std::u16string_view Text() const { return text_; }

 private:
  std::u16string_view text_;
  std::vector<size_t> starts_;
};
