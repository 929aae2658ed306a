#include "tools/vln/lsp/LspInbox.h"

#include <utility>

#include "platform/TryRun.h"
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
  if (inbox != nullptr && inbox->Overtaken()) StopWork();
}

LspInbox::LspInbox(LspFrameReader& reader, LspReading reading) : reader_(reader) {
  // Where no thread can be had, messages are read in turn.
  if (reading == LspReading::Ahead) thread_.Start([this] { ReadAhead(); });
}

LspInbox::~LspInbox() { thread_.Join(); }

LspIncoming LspInbox::Read() {
  LspIncoming incoming;
  incoming.Frame = reader_.Next();
  if (incoming.Frame.FrameKind != LspFrame::Kind::Message) return incoming;
  // The form that throws nothing: where there are no exceptions (WASI) the
  // other would end the server at the first message that is not JSON.
  Json message = Json::parse(incoming.Frame.Body, nullptr, false);
  if (message.is_discarded()) {
    incoming.ParseProblem = "message is not JSON";
    // A message may begin inside what was no message.
    reader_.BodyWasNoMessage();
    return incoming;
  }
  incoming.Message = std::move(message);
  // The text is not needed again, and a document's may be megabytes.
  std::string().swap(incoming.Frame.Body);
  return incoming;
}

void LspInbox::ReadAhead() {
  for (;;) {
    LspIncoming incoming = Read();
    const bool last = Last(incoming);
    SharedLock hold(mutex_);
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
  if (thread_.Running()) return;
  while (!ended_ && reader_.HasWholeMessage()) {
    LspIncoming incoming = Read();
    if (Last(incoming)) ended_ = true;
    waiting_.push_back(std::move(incoming));
  }
}

bool LspInbox::HasMessage() {
  SharedLock hold(mutex_);
  TakeWhatIsThere();
  return !waiting_.empty();
}

LspIncoming LspInbox::Next() {
  SharedLock hold(mutex_);
  if (!thread_.Running()) {
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
  SharedLock hold(mutex_);
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
  SharedLock hold(mutex_);
  id_.reset();
  uri_.clear();
  return overtaken_.exchange(0);
}
