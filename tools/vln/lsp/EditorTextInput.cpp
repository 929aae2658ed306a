#include "tools/vln/lsp/EditorTextInput.h"

bool EditorTextInput::Open(const std::string& /*path*/) {
  std::string bytes(2 + text_.size() * 2, '\0');
  bytes[0] = '\xFF';
  bytes[1] = '\xFE';
  char* out = bytes.data() + 2;
  for (const char16_t unit : text_) {
    *out++ = static_cast<char>(unit & 0xFF);
    *out++ = static_cast<char>(unit >> 8);
  }
  first_ = nullptr;
  spans_.clear();
  return file_.OpenBytes(bytes);
}

TextFileInput::ReadResult EditorTextInput::ReadLine(std::u16string_view& line) {
  const ReadResult result = file_.ReadLine(line);
  if (result != ReadResult::Line) return result;
  // The first line begins where the decoded text does.
  if (first_ == nullptr) first_ = line.data();
  spans_.push_back({static_cast<size_t>(line.data() - first_), line.size()});
  return result;
}
