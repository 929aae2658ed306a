#pragma once

#include <cstddef>

#include "tools/vln/lsp/EditorLines.h"

// How a client counts characters within a line: UTF-16 units (the protocol's
// default, and the story's own unit) or UTF-8 bytes.
enum class PositionEncoding { Utf16, Utf8 };

struct EditorPosition {
  size_t Line = 0;
  size_t Character = 0;
};

// The offset a client's position stands for. A line past the last is the end
// of the document; a character past the line's end is the line's end, as the
// protocol asks; a UTF-8 position inside a character is that character's
// start.
size_t OffsetAt(const EditorLines& lines, EditorPosition position, PositionEncoding encoding);

// `lookFirst`: a line to look at first, as EditorLines::LineOf.
EditorPosition PositionAt(const EditorLines& lines, size_t offset, PositionEncoding encoding, size_t lookFirst = 0);
