#include "tools/vln/lsp/EditorTextInput.h"

bool EditorTextInput::Open(const std::string& /*path*/) {
  first_ = nullptr;
  spans_.clear();
  return file_.OpenUnits(text_);
}

TextFileInput::ReadResult EditorTextInput::ReadLine(std::u16string_view& line) {
  const ReadResult result = file_.ReadLine(line);
  if (result != ReadResult::Line) return result;
  // The first line begins where the decoded text does.
  if (first_ == nullptr) first_ = line.data();
  spans_.push_back({static_cast<size_t>(line.data() - first_), line.size()});
  return result;
}
