#include "tools/vln/lsp/LspTextWriter.h"

#include <algorithm>
#include <charconv>

#include "platform/StoryDecoder.h"
#include "tools/vln/lsp/LspInbox.h"
#include "tools/vln/lsp/LspJson.h"

void LspTextWriter::Number(size_t value) {
  char digits[24];
  const auto written = std::to_chars(digits, digits + sizeof digits, value);
  out_.append(digits, written.ptr);
}

// Well-formed UTF-8 goes as it is, its quotes and backslashes escaped; a
// control character or a malformed byte is left to the library, whose
// escapes and replacements the rest of the server's JSON uses too.
void LspTextWriter::String(const std::string& text) {
  const bool control = std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
  if (control || !IsUtf8(text)) {
    out_ += JsonText(Json(text));
    return;
  }
  out_ += '"';
  size_t from = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '"' && text[i] != '\\') continue;
    out_.append(text, from, i - from);
    out_ += '\\';
    from = i;
  }
  out_.append(text, from);
  out_ += '"';
}

void LspTextWriter::String(std::u16string_view text) { String(Utf8Of(text)); }

void LspTextWriter::Position(size_t offset) {
  const EditorPosition at = PositionAt(document_.Lines(), offset, document_.Encoding());
  out_ += "{\"line\":";
  Number(at.Line);
  out_ += ",\"character\":";
  Number(at.Character);
  out_ += '}';
}

void LspTextWriter::StoryRange(int64_t pos, int64_t length) {
  if (++ranges_ % 1024 == 0) StopIfOvertaken();
  const EditorStory& story = document_.Analysis().Story();
  const size_t from = story.EditorOffset(pos);
  const size_t to = std::max(from, story.EditorOffset(pos + std::max<int64_t>(length, 0)));
  out_ += "{\"start\":";
  Position(from);
  out_ += ",\"end\":";
  Position(to);
  out_ += '}';
}
