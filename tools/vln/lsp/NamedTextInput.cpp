#include "tools/vln/lsp/NamedTextInput.h"

NamedTextInput::NamedTextInput(std::u16string_view document, std::map<std::string, std::u16string> named)
    : texts_(std::move(named)), document_(document) {
  // Each input reads its text where the map keeps it, which moves no more.
  for (const auto& [name, text] : texts_) named_.emplace(name, EditorTextInput(text));
}

bool NamedTextInput::Open(const std::string& path) {
  const auto found = named_.find(path);
  current_ = found == named_.end() ? &document_ : &found->second;
  return current_->Open(path);
}
