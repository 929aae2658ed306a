#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/PageBuffer.h"
#include "platform/TextFileInput.h"

// Story files: the whole file is read and decoded at Open (see StoryDecoder.h
// for the encodings), and ReadLine then hands out the
// lines of the decoded text. A line ends at CR LF or a lone CR; a lone LF
// stays in its line; the last line needs no break; an empty file has none.
class StoryFileInput : public TextFileInput {
 public:
  // Read positions are 32-bit, so no story text may be longer than this many
  // UTF-16 units, counting the CR LF the loader puts after every line.
  static constexpr uint64_t MaxTextLength = 2147483647;

  StoryFileInput() = default;
  // A smaller limit than MaxTextLength, so that the size checks can be tried
  // without files of gigabytes.
  explicit StoryFileInput(uint64_t maxTextLength) : maxTextLength_(maxTextLength) {}

  // Only a regular file is read. Anything else (directory, FIFO, socket,
  // pipe, device) fails at once without blocking, as does a file that cannot
  // be opened or read, or whose text could be longer than the limit. The
  // path is in the file system's encoding: bytes on POSIX, UTF-8 on Windows.
  // Each platform opens the file its own way (posix/, win32/).
  bool Open(const std::string& path) override;
  // Serves the lines of story bytes already in memory, decoded exactly as a
  // file's. False only when the text would be longer than the limit. The
  // bytes need not outlive the call.
  bool OpenBytes(std::string_view bytes);
  // Serves the lines of text that is UTF-16 already, as a UTF-16 file holding
  // these units would give them. The units are read where they are, and must
  // outlive the input's use, unless a lone surrogate must be mended first.
  bool OpenUnits(std::u16string_view units);
  ReadResult ReadLine(std::u16string_view& line) override;
  void Close() override;
  // The exact length of the story text the lines make, each followed by CR LF.
  size_t LengthHint() const override { return storyLength_; }
  // Backs a long story text with huge pages: a fresh 4 KiB page costs a fault,
  // and the faults of a 100 MB text cost more than decoding it.
  void ReserveStoryText(std::u16string& text) const override;

 private:
  // A regular file just opened, read from its start by the platform's calls.
  class FileReader {
   public:
    virtual ~FileReader() = default;
    // How many bytes went into [into, into + room): 0 at the end of the
    // file, -1 when reading failed.
    virtual int64_t Read(char* into, size_t room) = 0;
  };

  // Reads and decodes a file that held `size` bytes when it was opened.
  bool ReadOpenFile(FileReader& file, uint64_t size);
  bool Decode(std::string_view bytes);
  // Serves the lines of `units`, `text` holding them or nothing.
  bool Serve(PageBuffer text, const char16_t* units, size_t length);

  uint64_t maxTextLength_ = MaxTextLength;
  // The decoded text, in room for the most units the bytes could give; the
  // part decoding does not reach is never touched and costs no memory.
  PageBuffer text_;
  const char16_t* units_ = nullptr;
  size_t textLength_ = 0;
  size_t next_ = 0;
  size_t storyLength_ = 0;
};
