#pragma once

#include <atomic>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "platform/ReadingThread.h"
#include "tools/vln/lsp/LspFraming.h"
#include "tools/vln/lsp/LspJson.h"

// One thing read from the stream, its body parsed when it is a message.
struct LspIncoming {
  LspFrame Frame;
  std::optional<Json> Message;  // nothing when the body is not JSON
  std::string ParseProblem;
};

// How the session reads its messages.
enum class LspReading {
  // On a thread of its own, while the server works: a request whose answer
  // a later message makes useless is seen while it runs.
  Ahead,
  // Between messages only, on the server's own thread: what is already read
  // in is all it can see ahead. Where no thread can be had, Ahead is this.
  InTurn,
};

// The messages not yet handled, and what among them overtakes the request
// being answered: its own $/cancelRequest, or a change to its document.
class LspInbox {
 public:
  // Above this many messages waiting, reading waits for the server.
  static constexpr size_t MostWaiting = 1024;

  LspInbox(LspFrameReader& reader, LspReading reading);
  ~LspInbox();
  LspInbox(const LspInbox&) = delete;
  LspInbox& operator=(const LspInbox&) = delete;

  // Whether a message is there to take without waiting.
  bool HasMessage();
  // The next message, read or waited for.
  LspIncoming Next();

  // For the request `id` about the document `uri` (empty: none) while it is
  // answered: the error code to answer instead, when a message already read
  // cancels it or changes its document; 0 when none does.
  int StartRequest(const Json& id, const std::string& uri);
  // The same for what came while it ran; the request is over.
  int EndRequest();
  // Whether the request being answered is overtaken already: a long answer
  // asks, and stops early.
  bool Overtaken() const { return overtaken_.load(std::memory_order_relaxed) != 0; }

 private:
  LspIncoming Read();
  void ReadAhead();
  // Reads in, without waiting, whatever whole messages the reader holds.
  void TakeWhatIsThere();
  void Push(LspIncoming incoming);  // with mutex_ held
  int Overtakes(const LspIncoming& incoming) const;

  LspFrameReader& reader_;
  SharedMutex mutex_;
  SharedSignal arrived_;
  SharedSignal taken_;
  std::deque<LspIncoming> waiting_;
  bool ended_ = false;  // the reading has stopped: End or exit is queued
  ReadingThread thread_;
  // The request being answered.
  std::optional<Json> id_;
  std::string uri_;
  std::atomic<int> overtaken_{0};
};

// While a request runs on a session: the inbox to ask whether it is
// overtaken. A long answer calls this, and it stops the work when it is.
void StopIfOvertaken();
void SetRunningInbox(const LspInbox* inbox);
