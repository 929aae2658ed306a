#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Where the messages come from and go to: the standard streams in the
// program, strings in the tests.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // As ReadStandardInput: a count, 0 at the end, -1 on failure.
  virtual int64_t Read(char* into, size_t room) = 0;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool Write(std::string_view bytes) = 0;
};

// One thing read from the stream of messages.
struct LspFrame {
  enum class Kind {
    Message,    // Body holds one whole message
    TooLarge,   // its Content-Length is over the limit; Problem says so
    BadHeader,  // a header that makes no sense; Problem says why
    End,        // the input has ended (a message cut short is dropped)
  };
  Kind FrameKind = Kind::End;
  std::string Body;
  std::string Problem;
};

// Reads messages framed by a header of "Name: value" lines, each ended by
// CR LF, an empty line, and Content-Length bytes of body. After a header it
// cannot make sense of (or one over 64 KiB) it goes on at the first
// "Content-Length:" after that header's first byte, and after a body too
// large to take at the first one after the body's header: a well-formed
// message after a bad one is always read, and memory stays bounded whatever
// the stream says.
class LspFrameReader {
 public:
  LspFrameReader(ByteSource& in, size_t maxBody) : in_(in), maxBody_(maxBody) {}

  LspFrame Next();
  // Whether a whole message is already read in, so that Next will not wait.
  bool HasWholeMessage() const;
  // The body Next just returned is no message: its Content-Length was wrong
  // (counting characters rather than bytes, or too long, taking in the
  // header of the message after it). Reading goes on at the first
  // "Content-Length:" after the body's first byte.
  void BodyWasNoMessage();

 private:
  // Reads more input; false at the end.
  bool Fill();
  std::string_view Pending() const { return std::string_view(buffer_).substr(start_); }
  // Drops input up to the next "Content-Length:"; false at the end.
  bool SkipToNextHeader();
  bool ParseHeader(std::string_view header, uint64_t& length, std::string& problem) const;

  ByteSource& in_;
  size_t maxBody_;
  std::string buffer_;
  size_t start_ = 0;
  bool ended_ = false;
  // The input since the last header is no message: look for the next one.
  bool resync_ = false;
  static constexpr size_t NoBody = SIZE_MAX;
  // Where the body Next returned last begins in the buffer.
  size_t bodyStart_ = NoBody;
  // The end of the last body read again for the messages inside it.
  size_t rereadUpTo_ = 0;
};

// "Content-Length: N" CR LF CR LF, then the body.
std::string FramedMessage(std::string_view body);
// The part in front of a body of `bodySize` bytes, for a body too long to
// copy behind it.
std::string FrameHeader(size_t bodySize);
