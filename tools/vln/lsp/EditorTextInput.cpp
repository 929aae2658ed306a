#include "tools/vln/lsp/EditorTextInput.h"

bool EditorTextInput::Open(const std::string& /*path*/) {
  std::string bytes;
  bytes.reserve(2 + text_.size() * 2);
  bytes += "\xFF\xFE";
  for (const char16_t unit : text_) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
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
