#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "tools/vln/lsp/LspFraming.h"

// The server's byte streams over strings, to run whole conversations in
// memory. Reads hand out at most `chunk` bytes, so that messages are cut at
// every kind of place, as a pipe may cut them.
class MemoryBytesIn : public ByteSource {
 public:
  MemoryBytesIn(std::string bytes, size_t chunk) : bytes_(std::move(bytes)), chunk_(chunk) {}
  int64_t Read(char* into, size_t room) override {
    const size_t count = std::min({room, bytes_.size() - at_, chunk_});
    bytes_.copy(into, count, at_);
    at_ += count;
    return static_cast<int64_t>(count);
  }

 private:
  std::string bytes_;
  size_t chunk_;
  size_t at_ = 0;
};

class MemoryBytesOut : public ByteSink {
 public:
  bool Write(std::string_view bytes) override {
    Bytes += bytes;
    return true;
  }
  std::string Bytes;
};
