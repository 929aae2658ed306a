#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tools/vln/lsp/LspDocument.h"

// Writes an answer's JSON text straight into a string. A long story's
// diagnostics, tokens, symbols and lenses run to megabytes: a tree of them,
// built and then dumped, cost more than the work that found them. The text
// is what dumping that tree gave, key for key.
class LspTextWriter {
 public:
  LspTextWriter(std::string& out, LspDocument& document) : out_(out), document_(document) {}

  // Text as it stands, for the keys and punctuation.
  void Raw(std::string_view text) { out_ += text; }
  void Raw(char c) { out_ += c; }
  void Number(size_t value);
  void String(const std::string& text);
  void String(std::u16string_view text);
  // {"line":..,"character":..} of an editor offset.
  void Position(size_t offset);
  // {"start":..,"end":..} of the story units [pos, pos + length). Every
  // so many ranges, a request overtaken while it is answered stops here.
  void StoryRange(int64_t pos, int64_t length);

 private:
  size_t ranges_ = 0;
  size_t line_ = 0;  // of the last position written
  std::string& out_;
  LspDocument& document_;
};
