#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

#include "tools/vln/lsp/EditorTextInput.h"

// The reader's Open dialog answered from texts an editor holds: a name given
// a text of its own opens that text, any other name the document's. A page
// that reads one story after another gives each a name.
class NamedTextInput : public TextFileInput {
 public:
  // `document` must outlive the input.
  NamedTextInput(std::u16string_view document, std::map<std::string, std::u16string> named);

  bool Open(const std::string& path) override;
  ReadResult ReadLine(std::u16string_view& line) override { return current_->ReadLine(line); }
  void Close() override { current_->Close(); }
  size_t LengthHint() const override { return current_->LengthHint(); }
  void ReserveStoryText(std::u16string& text) const override { current_->ReserveStoryText(text); }

 private:
  std::map<std::string, std::u16string> texts_;
  EditorTextInput document_;
  std::map<std::string, EditorTextInput> named_;
  EditorTextInput* current_ = &document_;
};
