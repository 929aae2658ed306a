#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/StoryFileInput.h"
#include "platform/TextFileInput.h"

// An editor's text served to the reader's loader as if it were the story
// file: whatever name the Open dialog gives, the lines come from the text,
// split by the platform's own story file input, read as a UTF-16 file
// holding the units the editor holds would be read.
class EditorTextInput : public TextFileInput {
 public:
  // `text` must outlive the input.
  explicit EditorTextInput(std::u16string_view text) : text_(text) {}

  bool Open(const std::string& path) override;
  ReadResult ReadLine(std::u16string_view& line) override;
  void Close() override { file_.Close(); }
  size_t LengthHint() const override { return file_.LengthHint(); }
  void ReserveStoryText(std::u16string& text) const override { file_.ReserveStoryText(text); }

  // Where each line read since the last Open begins in the text, and its
  // length.
  struct LineSpan {
    size_t Start = 0;
    size_t Length = 0;
  };
  const std::vector<LineSpan>& Spans() const { return spans_; }

 private:
  std::u16string_view text_;
  StoryFileInput file_;
  const char16_t* first_ = nullptr;
  std::vector<LineSpan> spans_;
};
