#include "fuzz/MemoryTextInput.h"

std::vector<std::u16string> MemoryTextInput::SplitLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  size_t begin = 0;
  while (begin < text.size()) {
    const size_t cr = text.find(u'\r', begin);
    if (cr == std::u16string_view::npos) {
      lines.emplace_back(text.substr(begin));
      break;
    }
    lines.emplace_back(text.substr(begin, cr - begin));
    begin = cr + 1;
    if (begin < text.size() && text[begin] == u'\n') ++begin;
  }
  return lines;
}

bool MemoryTextInput::Open(const std::string& path) {
  const auto found = files_.find(path);
  if (found == files_.end()) return false;
  open_ = &found->second;
  next_ = 0;
  return true;
}

TextFileInput::ReadResult MemoryTextInput::ReadLine(std::u16string_view& line) {
  if (open_ == nullptr) return ReadResult::Failed;
  if (open_->FailAt && next_ >= *open_->FailAt) return ReadResult::Failed;
  if (next_ >= open_->Lines.size()) return ReadResult::EndOfFile;
  line = open_->Lines[next_++];
  return ReadResult::Line;
}
