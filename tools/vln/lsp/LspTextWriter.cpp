#include "tools/vln/lsp/LspTextWriter.h"

#include <algorithm>
#include <charconv>

#include "platform/StoryDecoder.h"
#include "tools/vln/lsp/LspInbox.h"
#include "tools/vln/lsp/LspJson.h"
#include "tools/vln/reading/Utf8.h"

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

void LspTextWriter::String(std::u16string_view text) {
  // Names and captions are nearly always free of control characters and
  // surrogates: those are written straight in, with no UTF-8 copy between.
  const bool plain =
      std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= 0x20 && (c < 0xD800 || c > 0xDFFF); });
  if (!plain) {
    String(Utf8Of(text));
    return;
  }
  const size_t at = out_.size();
  out_.resize(at + 2 + text.size() * 3);  // three bytes a unit at most, an escape two
  char* put = out_.data() + at;
  *put++ = '"';
  for (const char16_t c : text) {
    if (c == '"' || c == '\\') *put++ = '\\';
    put = PutUtf8(put, c);
  }
  *put++ = '"';
  out_.resize(static_cast<size_t>(put - out_.data()));
}

void LspTextWriter::Position(size_t offset) {
  const EditorPosition at = PositionAt(document_.Lines(), offset, document_.Encoding(), line_);
  line_ = at.Line;
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
