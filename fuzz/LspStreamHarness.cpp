#include "fuzz/LspStreamHarness.h"

#include <algorithm>

#include "tools/vln/lsp/LspFraming.h"
#include "tools/vln/lsp/LspJson.h"
#include "tools/vln/lsp/LspServer.h"

namespace {

class BytesIn : public ByteSource {
 public:
  explicit BytesIn(std::string bytes) : bytes_(std::move(bytes)) {}
  // Short reads, so that messages are cut at every kind of place.
  int64_t Read(char* into, size_t room) override {
    const size_t count = std::min({room, bytes_.size() - at_, size_t{61}});
    bytes_.copy(into, count, at_);
    at_ += count;
    return static_cast<int64_t>(count);
  }

 private:
  std::string bytes_;
  size_t at_ = 0;
};

class BytesOut : public ByteSink {
 public:
  bool Write(std::string_view bytes) override {
    bytes_ += bytes;
    return true;
  }
  std::string bytes_;
};

std::string Framed(const Json& message) { return FramedMessage(JsonText(message)); }

}  // namespace

std::string LspStreamOpening(uint8_t flags) {
  std::string opening;
  if ((flags & 1) != 0) {
    Json capabilities = Json::object();
    if ((flags & 2) != 0) capabilities["general"]["positionEncodings"] = {"utf-8"};
    opening += Framed({{"jsonrpc", "2.0"}, {"id", 0}, {"method", "initialize"}, {"params", {{"capabilities", capabilities}}}});
  }
  if ((flags & 4) != 0) {
    const std::string story =
        "[start]Morning.\r\nGet up??[up],[sleep]\r\n[up]Up.::AON\r\nOut.>>[road]\r\n[sleep]Sleep.::AOFF\r\n"
        "[road]Road.>>A[bus],[late]\r\n[bus]Bus.::END\r\n[late]Late.::END\r\n";
    opening += Framed({{"jsonrpc", "2.0"},
                       {"method", "textDocument/didOpen"},
                       {"params", {{"textDocument", {{"uri", "file:///s.vln"}, {"languageId", "vln"}, {"version", 1}, {"text", story}}}}}});
  }
  return opening;
}

std::string CheckLspStream(const uint8_t* data, size_t size) {
  if (size == 0) return "";
  std::string input = LspStreamOpening(data[0]);
  input.append(reinterpret_cast<const char*>(data) + 1, size - 1);
  BytesIn in(std::move(input));
  BytesOut out;
  const int status = RunLspSession(in, out);
  if (status != 0 && status != 1) return "exit status " + std::to_string(status);
  // Everything the server wrote must read back as whole messages.
  BytesIn written(out.bytes_);
  LspFrameReader reader(written, out.bytes_.size() + 1);
  for (;;) {
    const LspFrame frame = reader.Next();
    if (frame.FrameKind == LspFrame::Kind::End) return "";
    if (frame.FrameKind != LspFrame::Kind::Message) return "the server wrote a bad frame: " + frame.Problem;
    const Json message = Json::parse(frame.Body, nullptr, false);
    if (message.is_discarded()) return "the server wrote a message that is not JSON: " + frame.Body.substr(0, 200);
    if (StringMember(message, "jsonrpc") != "2.0") return "the server wrote no JSON-RPC 2.0: " + frame.Body.substr(0, 200);
  }
}
