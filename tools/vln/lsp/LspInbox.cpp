#include "tools/vln/lsp/LspInbox.h"

#include <system_error>
#include <utility>

#include "tools/vln/lsp/LspServer.h"

namespace {

std::atomic<const LspInbox*> running{nullptr};

std::optional<std::string> MethodOf(const LspIncoming& incoming) {
  return incoming.Message ? StringMember(*incoming.Message, "method") : std::nullopt;
}

// After End, or the exit notification (a request named exit is none), the
// server reads nothing more.
bool Last(const LspIncoming& incoming) {
  return incoming.Frame.FrameKind == LspFrame::Kind::End ||
         (MethodOf(incoming) == "exit" && Member(*incoming.Message, "id") == nullptr);
}

}  // namespace

void SetRunningInbox(const LspInbox* inbox) { running.store(inbox); }

void StopIfOvertaken() {
  const LspInbox* inbox = running.load(std::memory_order_relaxed);
  if (inbox != nullptr && inbox->Overtaken()) throw LspOvertaken{};
}

LspInbox::LspInbox(LspFrameReader& reader, LspReading reading) : reader_(reader) {
#ifndef __wasi__
  if (reading == LspReading::Ahead) {
    try {
      thread_ = std::thread(&LspInbox::ReadAhead, this);
    } catch (const std::system_error&) {
      // No thread: messages are read in turn.
    }
  }
#else
  (void)reading;
#endif
}

LspInbox::~LspInbox() {
  if (thread_.joinable()) thread_.join();
}

LspIncoming LspInbox::Read() {
  LspIncoming incoming;
  incoming.Frame = reader_.Next();
  if (incoming.Frame.FrameKind != LspFrame::Kind::Message) return incoming;
  try {
    incoming.Message = Json::parse(incoming.Frame.Body);
    // The text is not needed again, and a document's may be megabytes.
    std::string().swap(incoming.Frame.Body);
  } catch (const Json::parse_error& error) {
    incoming.ParseProblem = std::string("message is not JSON: ") + error.what();
  }
  return incoming;
}

void LspInbox::ReadAhead() {
  for (;;) {
    LspIncoming incoming = Read();
    const bool last = Last(incoming);
    std::unique_lock<std::mutex> hold(mutex_);
    taken_.wait(hold, [this] { return waiting_.size() < MostWaiting; });
    Push(std::move(incoming));
    if (last) ended_ = true;
    arrived_.notify_all();
    if (last) return;
  }
}

void LspInbox::Push(LspIncoming incoming) {
  if (id_) {
    if (const int code = Overtakes(incoming); code != 0) {
      int none = 0;
      overtaken_.compare_exchange_strong(none, code);
    }
  }
  waiting_.push_back(std::move(incoming));
}

void LspInbox::TakeWhatIsThere() {
  if (thread_.joinable()) return;
  while (!ended_ && reader_.HasWholeMessage()) {
    LspIncoming incoming = Read();
    if (Last(incoming)) ended_ = true;
    waiting_.push_back(std::move(incoming));
  }
}

bool LspInbox::HasMessage() {
  const std::lock_guard<std::mutex> hold(mutex_);
  TakeWhatIsThere();
  return !waiting_.empty();
}

LspIncoming LspInbox::Next() {
  std::unique_lock<std::mutex> hold(mutex_);
  if (!thread_.joinable()) {
    TakeWhatIsThere();
    if (waiting_.empty()) {
      hold.unlock();
      return Read();
    }
  }
  arrived_.wait(hold, [this] { return !waiting_.empty(); });
  LspIncoming incoming = std::move(waiting_.front());
  waiting_.pop_front();
  taken_.notify_all();
  return incoming;
}

int LspInbox::Overtakes(const LspIncoming& incoming) const {
  const std::optional<std::string> method = MethodOf(incoming);
  if (!method) return 0;
  const Json* params = Member(*incoming.Message, "params");
  if (params == nullptr) return 0;
  if (*method == "$/cancelRequest") {
    const Json* id = Member(*params, "id");
    return id != nullptr && *id == *id_ ? LspErrorCode::RequestCancelled : 0;
  }
  if (uri_.empty() || (*method != "textDocument/didChange" && *method != "textDocument/didClose")) return 0;
  const Json* document = Member(*params, "textDocument");
  return document != nullptr && StringMember(*document, "uri") == uri_ ? LspErrorCode::ContentModified : 0;
}

int LspInbox::StartRequest(const Json& id, const std::string& uri) {
  const std::lock_guard<std::mutex> hold(mutex_);
  TakeWhatIsThere();
  id_ = id;
  uri_ = uri;
  overtaken_.store(0);
  for (const LspIncoming& incoming : waiting_) {
    if (const int code = Overtakes(incoming); code != 0) {
      overtaken_.store(code);
      break;
    }
  }
  return overtaken_.load();
}

int LspInbox::EndRequest() {
  const std::lock_guard<std::mutex> hold(mutex_);
  id_.reset();
  uri_.clear();
  return overtaken_.exchange(0);
}
