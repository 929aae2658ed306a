#include "platform/StoryFileInput.h"

#include <algorithm>
#include <cstring>

#include "platform/StoryDecoder.h"
#include "platform/UnitSearch.h"

namespace {

struct Bytes {
  PageBuffer buffer;
  size_t size = 0;

  char* Data() const { return static_cast<char*>(buffer.Data()); }
};

size_t FindCarriageReturn(const char16_t* text, size_t from, size_t length) {
  return FindUnit(text, from, length, 0xFFFF, u'\r');
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

bool StoryFileInput::ReadOpenFile(FileReader& file, uint64_t size) {
  // The byte order mark decides how many units a byte can give, so it alone
  // tells whether a file of this size could be too long, before any memory
  // is spent on it.
  char head[3];
  size_t headSize = 0;
  while (headSize < sizeof head) {
    const int64_t got = file.Read(head + headSize, sizeof head - headSize);
    if (got < 0) return false;
    if (got == 0) break;
    headSize += static_cast<size_t>(got);
  }
  const std::string_view headBytes(head, headSize);
  const uint64_t expected = std::max<uint64_t>(size, headSize);
  if (MaxDecodedLength(headBytes, expected) > maxTextLength_) return false;

  // One byte more than expected, so that growth shows without a second read;
  // a file that grows meanwhile is followed for as long as its text could
  // still fit the limit.
  size_t capacity = static_cast<size_t>(expected) + 1;
  Bytes bytes;
  bytes.buffer = PageBuffer(capacity);
  if (bytes.Data() == nullptr) return false;
  std::memcpy(bytes.Data(), head, headSize);
  bytes.size = headSize;
  for (;;) {
    if (bytes.size == capacity) {
      if (MaxDecodedLength(headBytes, bytes.size) > maxTextLength_) return false;
      const size_t larger = std::max<size_t>(capacity * 2, 4096);
      PageBuffer grown(larger);
      if (grown.Data() == nullptr) return false;
      std::memcpy(grown.Data(), bytes.Data(), bytes.size);
      bytes.buffer = std::move(grown);
      capacity = larger;
    }
    const int64_t got = file.Read(bytes.Data() + bytes.size, capacity - bytes.size);
    if (got < 0) return false;
    if (got == 0) break;
    bytes.size += static_cast<size_t>(got);
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
  return Serve(std::move(text), units, length);
}

bool StoryFileInput::OpenUnits(std::u16string_view units) {
  Close();
  if (units.size() > maxTextLength_) return false;
  if (!HasLoneSurrogate(units)) return Serve(PageBuffer(), units.data(), units.size());
  PageBuffer text(units.size() * sizeof(char16_t));
  auto* mended = static_cast<char16_t*>(text.Data());
  if (mended == nullptr && !units.empty()) return false;
  std::memcpy(mended, units.data(), units.size() * sizeof(char16_t));
  MendLoneSurrogates(mended, units.size());
  return Serve(std::move(text), mended, units.size());
}

bool StoryFileInput::Serve(PageBuffer text, const char16_t* units, size_t length) {
  const uint64_t storyLength = StoryTextLength(units, length);
  if (storyLength > maxTextLength_) return false;
  text_ = std::move(text);
  units_ = units;
  textLength_ = length;
  storyLength_ = static_cast<size_t>(storyLength);
  next_ = 0;
  return true;
}

TextFileInput::ReadResult StoryFileInput::ReadLine(std::u16string_view& line) {
  if (next_ >= textLength_) return ReadResult::EndOfFile;
  const char16_t* text = units_;
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
  units_ = nullptr;
  textLength_ = 0;
  next_ = 0;
  storyLength_ = 0;
}
