#include "platform/StoryFileInput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/StoryDecoder.h"

namespace {

class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  int Get() const { return fd_; }

 private:
  int fd_;
};

struct Bytes {
  PageBuffer buffer;
  size_t size = 0;

  char* Data() const { return static_cast<char*>(buffer.Data()); }
};

// Reads an open regular file to its end. `expected` is the size the file had
// when it was opened; a file that grows meanwhile is followed for as long as
// its text could still fit `maxTextLength`.
bool ReadToEnd(int fd, size_t expected, std::string_view head, uint64_t maxTextLength,
               Bytes& bytes) {
  // One byte more than expected, so that growth shows without a second read.
  size_t capacity = expected + 1;
  bytes.buffer = PageBuffer(capacity);
  bytes.size = 0;
  if (bytes.Data() == nullptr) return false;
  for (;;) {
    if (bytes.size == capacity) {
      if (MaxDecodedLength(head, bytes.size) > maxTextLength) return false;
      const size_t larger = std::max<size_t>(capacity * 2, 4096);
      PageBuffer grown(larger);
      if (grown.Data() == nullptr) return false;
      std::memcpy(grown.Data(), bytes.Data(), bytes.size);
      bytes.buffer = std::move(grown);
      capacity = larger;
    }
    const ssize_t got = ::read(fd, bytes.Data() + bytes.size, capacity - bytes.size);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) return true;
    bytes.size += static_cast<size_t>(got);
  }
}

// Finds the next CR at or after `from`, or `length`. Scans four units at a
// time: a 100 MB story has some fifty million units to look through.
size_t FindCarriageReturn(const char16_t* text, size_t from, size_t length) {
  constexpr uint64_t Crs = 0x000D000D000D000Du;
  constexpr uint64_t Ones = 0x0001000100010001u;
  constexpr uint64_t HighBits = 0x8000800080008000u;
  size_t i = from;
  for (; i + 4 <= length; i += 4) {
    uint64_t word;
    std::memcpy(&word, text + i, sizeof word);
    const uint64_t zeroWhereCr = word ^ Crs;
    // Nonzero exactly when one of the four units is zero, i.e. was a CR.
    if (((zeroWhereCr - Ones) & ~zeroWhereCr & HighBits) != 0) break;
  }
  for (; i < length; ++i) {
    if (text[i] == u'\r') return i;
  }
  return length;
}

// The length of the story text the lines of `text` make, every line followed
// by CR LF: a lone CR grows by one unit, and a last line without a break
// gains one.
uint64_t StoryTextLength(const char16_t* text, size_t length) {
  if (length == 0) return 0;
  uint64_t loneCrs = 0;
  for (size_t i = FindCarriageReturn(text, 0, length); i + 1 < length;
       i = FindCarriageReturn(text, i + 1, length)) {
    if (text[i + 1] != u'\n') ++loneCrs;
  }
  const char16_t last = text[length - 1];
  if (last == u'\r') return length + loneCrs + 1;
  const bool endsWithBreak = last == u'\n' && length >= 2 && text[length - 2] == u'\r';
  return length + loneCrs + (endsWithBreak ? 0 : 2);
}

}  // namespace

bool StoryFileInput::Open(const std::string& path) {
  Close();
  // O_NONBLOCK: opening a FIFO without a writer would otherwise wait for one.
  const FileHandle file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.Get() < 0) return false;
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;

  // The byte order mark decides how many units a byte can give, so it alone
  // tells whether a file of this size could be too long, before any memory
  // is spent on it.
  char head[3];
  ssize_t headSize;
  do {
    headSize = ::pread(file.Get(), head, sizeof head, 0);
  } while (headSize < 0 && errno == EINTR);
  if (headSize < 0) return false;
  const std::string_view headBytes(head, static_cast<size_t>(headSize));
  const auto size = static_cast<uint64_t>(info.st_size);
  if (MaxDecodedLength(headBytes, std::max<uint64_t>(size, headBytes.size())) > maxTextLength_) {
    return false;
  }

  Bytes bytes;
  if (!ReadToEnd(file.Get(), static_cast<size_t>(size), headBytes, maxTextLength_, bytes)) {
    return false;
  }
  return Decode(std::string_view(bytes.Data(), bytes.size));
}

bool StoryFileInput::OpenBytes(std::string_view bytes) {
  Close();
  return Decode(bytes);
}

bool StoryFileInput::Decode(std::string_view bytes) {
  const uint64_t capacity = MaxDecodedLength(bytes.substr(0, 3), bytes.size());
  if (capacity > maxTextLength_) return false;
  PageBuffer text(static_cast<size_t>(capacity) * sizeof(char16_t));
  auto* units = static_cast<char16_t*>(text.Data());
  if (units == nullptr && capacity > 0) return false;
  const size_t length = DecodeStory(bytes, units);
  const uint64_t storyLength = StoryTextLength(units, length);
  if (storyLength > maxTextLength_) return false;
  text_ = std::move(text);
  textLength_ = length;
  storyLength_ = static_cast<size_t>(storyLength);
  next_ = 0;
  return true;
}

TextFileInput::ReadResult StoryFileInput::ReadLine(std::u16string_view& line) {
  if (next_ >= textLength_) return ReadResult::EndOfFile;
  const auto* text = static_cast<const char16_t*>(text_.Data());
  const size_t lineEnd = FindCarriageReturn(text, next_, textLength_);
  line = std::u16string_view(text + next_, lineEnd - next_);
  if (lineEnd == textLength_) {
    next_ = textLength_;
  } else {
    const bool crLf = lineEnd + 1 < textLength_ && text[lineEnd + 1] == u'\n';
    next_ = lineEnd + (crLf ? 2 : 1);
  }
  return ReadResult::Line;
}

void StoryFileInput::ReserveStoryText(std::u16string& text) const {
  const size_t before = text.capacity();
  text.reserve(storyLength_);
  // Only fresh memory, which nothing has touched yet, is worth the advice.
  if (text.capacity() != before) AdviseHugePages(text.data(), text.capacity() * sizeof(char16_t));
}

void StoryFileInput::Close() {
  text_ = PageBuffer();
  textLength_ = 0;
  next_ = 0;
  storyLength_ = 0;
}
