#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Sequential text input: a file opened by name and read line by line, already
// decoded to UTF-16. A line ends at CR LF or a lone CR; a lone LF belongs to
// the line.
class TextFileInput {
 public:
  enum class ReadResult { Line, EndOfFile, Failed };

  virtual ~TextFileInput() = default;
  // False when the file cannot be read as a story (missing, not a regular
  // file, unreadable, too large).
  virtual bool Open(const std::string& path) = 0;
  // On Line, `line` holds the next line without its break; it stays valid
  // until the next call.
  virtual ReadResult ReadLine(std::u16string_view& line) = 0;
  virtual void Close() = 0;
  // Roughly how many UTF-16 units the open file holds, to size the story
  // text once; 0 when unknown.
  virtual size_t LengthHint() const { return 0; }
  // Gives the story text room for the whole file before the lines are
  // appended. A platform may also choose how that memory is backed.
  virtual void ReserveStoryText(std::u16string& text) const { text.reserve(LengthHint()); }
};
