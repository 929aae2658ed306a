#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

#include "tools/vln/lsp/LspDocument.h"
#include "tools/vln/lsp/LspFraming.h"
#include "tools/vln/lsp/LspJson.h"

// A JSON-RPC error as a request's answer.
struct LspError {
  int Code = 0;
  std::string Message;
};

namespace LspErrorCode {
inline constexpr int ParseError = -32700;
inline constexpr int InvalidRequest = -32600;
inline constexpr int MethodNotFound = -32601;
inline constexpr int InvalidParams = -32602;
inline constexpr int InternalError = -32603;
inline constexpr int ServerNotInitialized = -32002;
inline constexpr int RequestFailed = -32803;
}  // namespace LspErrorCode

using LspReply = std::variant<Json, LspError>;

// The language server's state between messages: the open documents and where
// the conversation stands. It translates each message to the story functions
// and their answers back; it knows nothing of the story's rules itself.
class LspServer {
 public:
  // Whatever one message may be: larger ones are refused before they are read.
  static constexpr size_t MaxMessageBytes = 64 * 1024 * 1024;

  explicit LspServer(ByteSink& out);

  // One message body, whatever it holds. False when it is not JSON.
  bool Handle(std::string_view body);
  // A message the framing could not take.
  void RefuseFrame(const LspFrame& frame);
  // Publishes the diagnostics of every document changed since they were last
  // published.
  void PublishDue();

  bool Exited() const { return exited_; }
  // 0 after shutdown then exit, 1 for exit alone or input that ended.
  int ExitStatus() const { return shutDown_ ? 0 : 1; }

  // The open document named by params.textDocument.uri, or nullptr.
  LspDocument* DocumentOf(const Json& params);

  using Handler = std::function<LspReply(const Json& params)>;
  void AddRequest(std::string method, Handler handler);

 private:
  void HandleMessage(const Json& message);
  void HandleNotification(const std::string& method, const Json& params);
  void Reply(const Json& id, const LspReply& reply);
  void Send(const Json& message);
  void Notify(std::string_view method, Json params);
  void LogMessage(int type, const std::string& text);

  LspReply Initialize(const Json& params);
  void DidOpen(const Json& params);
  void DidChange(const Json& params);
  void DidClose(const Json& params);
  void DidSave(const Json& params);
  void ReadFileOf(LspDocument& document);
  void Publish(LspDocument& document);

  ByteSink& out_;
  std::map<std::string, Handler, std::less<>> requests_;
  std::map<std::string, std::unique_ptr<LspDocument>, std::less<>> documents_;
  std::map<std::string, bool, std::less<>> due_;
  std::string publishing_;
  PositionEncoding encoding_ = PositionEncoding::Utf16;
  // Set when the client says it saves each LF of its text as a line break.
  std::optional<SavedLineFeed> clientLineFeeds_;
  bool initialized_ = false;
  bool shutDown_ = false;
  bool exited_ = false;
};

// Reads messages from `in` and answers on `out` until exit or the end of the
// input; returns the exit status.
int RunLspSession(ByteSource& in, ByteSink& out);
