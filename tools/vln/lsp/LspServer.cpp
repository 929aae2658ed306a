#include "tools/vln/lsp/LspServer.h"

#include "platform/TryRun.h"
#include "tools/vln/lsp/LspCapabilities.h"
#include "tools/vln/lsp/LspRequests.h"
#include "tools/vln/reading/Utf8.h"

namespace {

// A text from the client; the parser has made sure it is UTF-8.
std::u16string TextOf(const std::string& utf8) { return Utf8ToUtf16(utf8); }

}  // namespace

LspServer::LspServer(ByteSink& out) : out_(out) {
  AddRequest("initialize", [this](const Json& params) { return Initialize(params); });
  AddRequest("shutdown", [this](const Json&) -> LspReply {
    shutDown_ = true;
    return Json(nullptr);
  });
  AddStoryRequests(*this);
}

void LspServer::AddRequest(std::string method, Handler handler) {
  requests_[std::move(method)] = std::move(handler);
}

void LspServer::Send(const Json& message) { out_.Write(FramedMessage(JsonText(message))); }

void LspServer::Reply(const Json& id, const LspReply& reply) {
  if (const LspResultText* text = std::get_if<LspResultText>(&reply)) {
    // The message as below would make it, with the result's own text and
    // without a copy of it.
    const std::string head = R"({"jsonrpc":"2.0","id":)" + JsonText(id) + R"(,"result":)";
    out_.Write(FrameHeader(head.size() + text->Text.size() + 1));
    out_.Write(head);
    out_.Write(text->Text);
    out_.Write("}");
    return;
  }
  Json message;
  message["jsonrpc"] = "2.0";
  message["id"] = id;
  if (const Json* result = std::get_if<Json>(&reply)) {
    message["result"] = *result;
  } else {
    const LspError& error = std::get<LspError>(reply);
    message["error"] = {{"code", error.Code}, {"message", error.Message}};
  }
  Send(message);
}

void LspServer::Notify(std::string_view method, Json params) {
  Json message;
  message["jsonrpc"] = "2.0";
  message["method"] = method;
  message["params"] = std::move(params);
  Send(message);
}

void LspServer::LogMessage(int type, const std::string& text) {
  Notify("window/logMessage", {{"type", type}, {"message", "vln lsp: " + text}});
}

void LspServer::RefuseFrame(const LspFrame& frame) {
  const int code = frame.FrameKind == LspFrame::Kind::TooLarge ? LspErrorCode::InvalidRequest
                                                               : LspErrorCode::ParseError;
  Reply(nullptr, LspError{code, frame.Problem});
  // A notification over the limit, such as a huge document, has no answer
  // to carry the error, so the user hears of it too.
  if (frame.FrameKind == LspFrame::Kind::TooLarge) {
    Notify("window/showMessage", {{"type", 1}, {"message", "vln lsp: " + frame.Problem}});
  }
}

void LspServer::Handle(const LspIncoming& incoming) {
  if (incoming.Frame.FrameKind != LspFrame::Kind::Message) {
    RefuseFrame(incoming.Frame);
  } else if (!incoming.Message) {
    Reply(nullptr, LspError{LspErrorCode::ParseError, incoming.ParseProblem});
  } else {
    HandleMessage(*incoming.Message);
  }
}

bool LspServer::Handle(std::string_view body) {
  // The form that throws nothing: where there are no exceptions (WASI) the
  // other would end the server at the first message that is not JSON.
  const Json message = Json::parse(body, nullptr, false);
  if (message.is_discarded()) {
    Reply(nullptr, LspError{LspErrorCode::ParseError, "message is not JSON"});
    return false;
  }
  HandleMessage(message);
  return true;
}

void LspServer::HandleMessage(const Json& message) {
  const Json* id = Member(message, "id");
  const bool request = id != nullptr;
  if (request && !id->is_string() && !id->is_number_integer() && !id->is_number_unsigned()) {
    Reply(nullptr, LspError{LspErrorCode::InvalidRequest, "a request's id is a number or a string"});
    return;
  }
  const std::optional<std::string> method = StringMember(message, "method");
  if (!method) {
    // An answer to a request of ours (we send none), or nothing at all.
    if (!message.is_object() || (Member(message, "result") == nullptr && Member(message, "error") == nullptr)) {
      Reply(request ? *id : Json(nullptr), LspError{LspErrorCode::InvalidRequest, "message has no method"});
    }
    return;
  }
  static const Json NoParams = Json::object();
  const Json* given = Member(message, "params");
  const Json& params = given != nullptr ? *given : NoParams;

  if (!request) {
    if (const std::optional<WorkFailure> failure = TryRun([&] { HandleNotification(*method, params); })) {
      LogMessage(1, *method + " failed: " + failure->What);
    }
    return;
  }

  if (!initialized_ && *method != "initialize") {
    Reply(*id, LspError{LspErrorCode::ServerNotInitialized, "the server is not initialized yet"});
    return;
  }
  if (shutDown_) {
    Reply(*id, LspError{LspErrorCode::InvalidRequest, "the server is shut down; only exit is left"});
    return;
  }
  const auto handler = requests_.find(*method);
  if (handler == requests_.end()) {
    Reply(*id, LspError{LspErrorCode::MethodNotFound, "no such method: " + *method});
    return;
  }
  Reply(*id, Answer(*id, *method, handler->second, params));
}

namespace {

LspError Overtaken(int code) {
  return code == LspErrorCode::RequestCancelled
             ? LspError{code, "the request was cancelled"}
             : LspError{code, "the document changed after the request was sent; ask again"};
}

}  // namespace

LspReply LspServer::Answer(const Json& id, const std::string& method, const Handler& handler, const Json& params) {
  // The conversation's own requests are answered whatever follows them.
  const bool mayBeOvertaken = inbox_ != nullptr && method != "initialize" && method != "shutdown";
  if (mayBeOvertaken) {
    const Json* document = Member(params, "textDocument");
    const std::string uri = document != nullptr ? StringMember(*document, "uri").value_or("") : "";
    if (const int code = inbox_->StartRequest(id, uri); code != 0) {
      inbox_->EndRequest();
      return Overtaken(code);
    }
    SetRunningInbox(inbox_);
  }
  // The diagnostics of the text a request is about go out before its
  // answer: the analysis is the same, and the editor hears of the text in
  // the order it sent it.
  if (initialized_) PublishDue();
  LspReply reply;
  if (const std::optional<WorkFailure> failure = TryRun([&] { reply = handler(params); })) {
    // A stopped request gets its code from the inbox below.
    if (!failure->Stopped) {
      reply = LspError{failure->OutOfMemory ? LspErrorCode::RequestFailed : LspErrorCode::InternalError,
                       failure->What};
    }
  }
  if (mayBeOvertaken) {
    SetRunningInbox(nullptr);
    // An answer about a text the editor has since changed would mislead it.
    if (const int code = inbox_->EndRequest(); code != 0) return Overtaken(code);
  }
  return reply;
}

void LspServer::HandleNotification(const std::string& method, const Json& params) {
  if (method == "exit") {
    exited_ = true;
  } else if (!initialized_ || shutDown_) {
    // Dropped, as the protocol asks of notifications before initialize.
  } else if (method == "textDocument/didOpen") {
    DidOpen(params);
  } else if (method == "textDocument/didChange") {
    DidChange(params);
  } else if (method == "textDocument/didClose") {
    DidClose(params);
  } else if (method == "textDocument/didSave") {
    DidSave(params);
  }
  // Anything else ("initialized"; "$/cancelRequest", which the inbox has
  // seen while its request waited or ran) needs nothing.
}

LspReply LspServer::Initialize(const Json& params) {
  if (initialized_) return LspError{LspErrorCode::InvalidRequest, "initialize was already sent"};
  const Json* general = Member(params, "capabilities");
  general = general != nullptr ? Member(*general, "general") : nullptr;
  const Json* encodings = general != nullptr ? Member(*general, "positionEncodings") : nullptr;
  if (encodings != nullptr && encodings->is_array()) {
    for (const Json& offered : *encodings) {
      if (offered == "utf-8") encoding_ = PositionEncoding::Utf8;
    }
  }
  if (const Json* options = Member(params, "initializationOptions")) {
    if (const Json* saves = Member(*options, "savesLineFeedAsBreak"); saves != nullptr && saves->is_boolean()) {
      clientLineFeeds_ = saves->get<bool>() ? SavedLineFeed::AsBreak : SavedLineFeed::AsItIs;
    }
  }
  initialized_ = true;
  Json result;
  result["capabilities"] = ServerCapabilities(encoding_);
  result["serverInfo"] = {{"name", "vln lsp"}};
  return result;
}

LspDocument* LspServer::DocumentOf(const Json& params) {
  const Json* document = Member(params, "textDocument");
  const std::optional<std::string> uri = document ? StringMember(*document, "uri") : std::nullopt;
  if (!uri) return nullptr;
  const auto found = documents_.find(*uri);
  return found == documents_.end() ? nullptr : found->second.get();
}

void LspServer::DidOpen(const Json& params) {
  const Json* document = Member(params, "textDocument");
  const std::optional<std::string> uri = document ? StringMember(*document, "uri") : std::nullopt;
  const std::string* text = document ? StringMemberText(*document, "text") : nullptr;
  if (!uri || text == nullptr) {
    LogMessage(2, "didOpen without textDocument.uri and text is ignored");
    return;
  }
  const int64_t version = IntegerMember(*document, "version").value_or(0);
  auto& opened = documents_[*uri];
  opened = std::make_unique<LspDocument>(*uri, version, TextOf(*text), encoding_,
                                         clientLineFeeds_.value_or(SavedLineFeed::AsItIs));
  ReadFileOf(*opened);
  due_[*uri] = true;
}

void LspServer::DidSave(const Json& params) {
  LspDocument* document = DocumentOf(params);
  if (document == nullptr) return;
  ReadFileOf(*document);
  due_[document->Uri()] = true;
}

void LspServer::ReadFileOf(LspDocument& document) {
  const std::optional<std::string> path = FilePathOfUri(document.Uri());
  if (!path) return;
  if (std::optional<SavedStory> file = ReadSavedStory(*path, MaxMessageBytes)) {
    document.FileRead(std::move(*file), clientLineFeeds_.has_value());
  }
}

void LspServer::DidChange(const Json& params) {
  LspDocument* document = DocumentOf(params);
  if (document == nullptr) {
    LogMessage(2, "didChange for a document that is not open is ignored");
    return;
  }
  const Json* changes = Member(params, "contentChanges");
  if (changes == nullptr || !changes->is_array()) {
    LogMessage(2, "didChange without contentChanges is ignored");
    return;
  }
  for (const Json& change : *changes) {
    const std::string* text = StringMemberText(change, "text");
    if (text == nullptr) continue;
    const Json* range = Member(change, "range");
    if (range == nullptr) {
      document->Replace(TextOf(*text), document->Version());
      continue;
    }
    const Json* start = Member(*range, "start");
    const Json* end = Member(*range, "end");
    const std::optional<size_t> from = start ? document->OffsetOf(*start) : std::nullopt;
    const std::optional<size_t> to = end ? document->OffsetOf(*end) : std::nullopt;
    if (!from || !to) {
      LogMessage(2, "a change without a valid range is ignored");
      continue;
    }
    document->Edit(*from, *to, TextOf(*text));
  }
  if (const Json* identifier = Member(params, "textDocument")) {
    if (const std::optional<int64_t> version = IntegerMember(*identifier, "version")) {
      document->SetVersion(*version);
    }
  }
  due_[document->Uri()] = true;
}

void LspServer::DidClose(const Json& params) {
  LspDocument* document = DocumentOf(params);
  if (document == nullptr) return;
  const std::string uri = document->Uri();
  documents_.erase(uri);
  due_.erase(uri);
  // The editor forgets the document; so should its problem list.
  Notify("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", Json::array()}});
}

void LspServer::PublishDue() {
  for (auto& [uri, due] : due_) {
    if (!due) continue;
    due = false;
    const auto found = documents_.find(uri);
    if (found != documents_.end()) Publish(*found->second);
  }
}

void LspServer::Publish(LspDocument& document) {
  // The message as Notify would make it, with the diagnostics' own text. A
  // long story's diagnostics take megabytes: the room they were written in
  // last time is written in again, and the message goes out without a copy.
  std::string& message = publishing_;
  message.assign(R"({"jsonrpc":"2.0","method":"textDocument/publishDiagnostics","params":{"uri":)");
  message += JsonText(Json(document.Uri()));
  message += ",\"version\":" + std::to_string(document.Version()) + ",\"diagnostics\":";
  AppendDiagnosticsText(message, document);
  message += "}}";
  out_.Write(FrameHeader(message.size()));
  out_.Write(message);
}

int RunLspSession(ByteSource& in, ByteSink& out, LspReading reading) {
  LspServer server(out);
  LspFrameReader reader(in, LspServer::MaxMessageBytes);
  LspInbox inbox(reader, reading);
  server.UseInbox(&inbox);
  while (!server.Exited()) {
    // Diagnostics wait only while more messages are already there: a burst
    // of changes is analysed once, and nothing is published late.
    if (!inbox.HasMessage()) server.PublishDue();
    const LspIncoming incoming = inbox.Next();
    if (incoming.Frame.FrameKind == LspFrame::Kind::End) break;
    server.Handle(incoming);
  }
  return server.ExitStatus();
}
