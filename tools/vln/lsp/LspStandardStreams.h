#pragma once

#include "platform/StandardStreams.h"
#include "tools/vln/lsp/LspFraming.h"

// The server's messages over the program's standard input and output.
class StandardInput : public ByteSource {
 public:
  int64_t Read(char* into, size_t room) override { return ReadStandardInput(into, room); }
};

class StandardOutput : public ByteSink {
 public:
  bool Write(std::string_view bytes) override { return WriteStandardOutput(bytes.data(), bytes.size()); }
};
