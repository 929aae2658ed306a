#include "fuzz/LspStreamHarness.h"

#include "fuzz/MemoryStreams.h"
#include "tools/vln/lsp/LspFraming.h"
#include "tools/vln/lsp/LspJson.h"
#include "tools/vln/lsp/LspServer.h"

namespace {

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
  MemoryBytesIn in(std::move(input), 61);
  MemoryBytesOut out;
  const int status = RunLspSession(in, out);
  if (status != 0 && status != 1) return "exit status " + std::to_string(status);
  // Everything the server wrote must read back as whole messages.
  MemoryBytesIn written(out.Bytes, out.Bytes.size());
  LspFrameReader reader(written, out.Bytes.size() + 1);
  for (;;) {
    const LspFrame frame = reader.Next();
    if (frame.FrameKind == LspFrame::Kind::End) return "";
    if (frame.FrameKind != LspFrame::Kind::Message) return "the server wrote a bad frame: " + frame.Problem;
    const Json message = Json::parse(frame.Body, nullptr, false);
    if (message.is_discarded()) return "the server wrote a message that is not JSON: " + frame.Body.substr(0, 200);
    if (StringMember(message, "jsonrpc") != "2.0") return "the server wrote no JSON-RPC 2.0: " + frame.Body.substr(0, 200);
  }
}
