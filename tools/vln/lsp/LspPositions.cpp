#include "tools/vln/lsp/LspPositions.h"

#include <algorithm>

namespace {

bool IsHigh(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLow(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// UTF-8 bytes of the character that begins at text[i], and its units.
size_t Utf8Length(std::u16string_view text, size_t i, size_t& units) {
  const char16_t unit = text[i];
  units = 1;
  if (unit < 0x80) return 1;
  if (unit < 0x800) return 2;
  if (IsHigh(unit) && i + 1 < text.size() && IsLow(text[i + 1])) {
    units = 2;
    return 4;
  }
  // A lone surrogate goes out as U+FFFD, three bytes.
  return 3;
}

}  // namespace

size_t OffsetAt(const EditorLines& lines, EditorPosition position, PositionEncoding encoding) {
  if (position.Line >= lines.Count()) return lines.Text().size();
  const size_t start = lines.Start(position.Line);
  const size_t end = lines.End(position.Line);
  if (encoding == PositionEncoding::Utf16) return start + std::min(position.Character, end - start);
  size_t bytes = 0;
  size_t i = start;
  while (i < end) {
    size_t units = 1;
    const size_t length = Utf8Length(lines.Text(), i, units);
    if (bytes + length > position.Character) break;
    bytes += length;
    i += units;
  }
  return i;
}

EditorPosition PositionAt(const EditorLines& lines, size_t offset, PositionEncoding encoding, size_t lookFirst) {
  offset = std::min(offset, lines.Text().size());
  const size_t line = lines.LineOf(offset, lookFirst);
  // Between the CR and the LF of a break: no client can stand there, and the
  // next line's start covers the same characters. Only the break's last unit
  // can be that place, so the text is read there alone.
  if (line + 1 < lines.Count() && offset + 1 == lines.Start(line + 1) && offset > lines.End(line)) {
    return {line + 1, 0};
  }
  const size_t start = lines.Start(line);
  if (encoding == PositionEncoding::Utf16) return {line, offset - start};
  size_t bytes = 0;
  for (size_t i = start; i < offset;) {
    size_t units = 1;
    bytes += Utf8Length(lines.Text(), i, units);
    i += units;
  }
  return {line, bytes};
}
