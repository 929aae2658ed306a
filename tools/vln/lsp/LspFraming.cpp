#include "tools/vln/lsp/LspFraming.h"

#include <algorithm>

namespace {

constexpr std::string_view HeaderEnd = "\r\n\r\n";
constexpr std::string_view LengthName = "Content-Length";
constexpr std::string_view NextHeader = "Content-Length:";
// No header a client sends comes near this; more is no header at all.
constexpr size_t MaxHeader = 64 * 1024;
const std::string HeaderTooLong = "header longer than " + std::to_string(MaxHeader) + " bytes";
constexpr size_t ReadChunk = 64 * 1024;

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// A header value quoted in a message: printable and short.
std::string Shown(std::string_view text) {
  std::string out;
  for (const char c : text.substr(0, 40)) out += (c >= 0x20 && c < 0x7F) ? c : '?';
  if (text.size() > 40) out += "...";
  return out;
}

}  // namespace

bool LspFrameReader::Fill() {
  if (ended_) return false;
  if (start_ > 0 && start_ * 2 >= buffer_.size()) {
    buffer_.erase(0, start_);
    rereadUpTo_ -= std::min(rereadUpTo_, start_);
    start_ = 0;
  }
  const size_t before = buffer_.size();
  buffer_.resize(before + ReadChunk);
  const int64_t got = in_.Read(buffer_.data() + before, ReadChunk);
  buffer_.resize(before + static_cast<size_t>(std::max<int64_t>(got, 0)));
  if (got <= 0) ended_ = true;
  return got > 0;
}

bool LspFrameReader::SkipToNextHeader() {
  for (;;) {
    const size_t found = Pending().find(NextHeader);
    if (found != std::string_view::npos) {
      start_ += found;
      return true;
    }
    // Keep what could be the start of the name cut off by the read.
    const size_t keep = std::min(Pending().size(), NextHeader.size() - 1);
    start_ = buffer_.size() - keep;
    if (!Fill()) return false;
  }
}

bool LspFrameReader::ParseHeader(std::string_view header, uint64_t& length,
                                 std::string& problem) const {
  bool haveLength = false;
  while (!header.empty()) {
    const size_t lineEnd = header.find("\r\n");
    const std::string_view line = header.substr(0, lineEnd);
    header = lineEnd == std::string_view::npos ? std::string_view() : header.substr(lineEnd + 2);
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      problem = "header line \"" + Shown(line) + "\" has no \":\"";
      return false;
    }
    if (!SameLetters(Trimmed(line.substr(0, colon)), LengthName)) continue;
    const std::string_view value = Trimmed(line.substr(colon + 1));
    if (value.empty() || value.size() > 19 ||
        !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      problem = "Content-Length \"" + Shown(value) + "\" is not a number of bytes";
      return false;
    }
    length = 0;
    for (const char c : value) length = length * 10 + static_cast<uint64_t>(c - '0');
    haveLength = true;
  }
  if (!haveLength) problem = "header has no Content-Length";
  return haveLength;
}

LspFrame LspFrameReader::Next() {
  LspFrame frame;
  bodyStart_ = NoBody;
  for (;;) {
    if (resync_) {
      resync_ = false;
      if (!SkipToNextHeader()) return frame;
    }
    // Stray line ends between messages are no header.
    while (Pending().starts_with("\r\n")) start_ += 2;
    const size_t end = Pending().find(HeaderEnd);
    if (end == std::string_view::npos) {
      if (Pending().size() > MaxHeader + HeaderEnd.size()) {
        frame.FrameKind = LspFrame::Kind::BadHeader;
        frame.Problem = HeaderTooLong;
        ++start_;
        resync_ = true;
        return frame;
      }
      if (!Fill()) return frame;
      continue;
    }
    const std::string_view header = Pending().substr(0, end);
    uint64_t length = 0;
    std::string problem;
    if (end > MaxHeader) {
      problem = HeaderTooLong;
    } else if (ParseHeader(header, length, problem)) {
      problem.clear();
    }
    if (!problem.empty()) {
      // The next message may begin inside what was taken for this header:
      // a line of garbage in front of it, or the tail of a body whose
      // Content-Length was too short.
      frame.FrameKind = LspFrame::Kind::BadHeader;
      frame.Problem = problem;
      ++start_;
      resync_ = true;
      return frame;
    }
    start_ += end + HeaderEnd.size();
    if (length > maxBody_) {
      frame.FrameKind = LspFrame::Kind::TooLarge;
      frame.Problem = "message of " + std::to_string(length) + " bytes is over the limit of " +
                      std::to_string(maxBody_) + " bytes; it is skipped";
      resync_ = true;
      return frame;
    }
    if (buffer_.capacity() < start_ + length) buffer_.reserve(start_ + length);
    while (Pending().size() < length) {
      if (!Fill()) return frame;
    }
    frame.FrameKind = LspFrame::Kind::Message;
    frame.Body.assign(Pending().substr(0, length));
    bodyStart_ = start_;
    start_ += length;
    return frame;
  }
}

void LspFrameReader::BodyWasNoMessage() {
  // Only the body just returned is still in the buffer as it was. A body
  // inside input already read again is not read a third time, so that
  // bodies nested in bodies cost no more than reading the input twice.
  // An empty body holds no message, and the byte after it is the next
  // message's own.
  if (bodyStart_ == NoBody || resync_ || bodyStart_ < rereadUpTo_ || bodyStart_ == start_) return;
  rereadUpTo_ = start_;
  start_ = bodyStart_ + 1;
  bodyStart_ = NoBody;
  resync_ = true;
}

bool LspFrameReader::HasWholeMessage() const {
  if (resync_) return false;
  std::string_view pending = Pending();
  while (pending.starts_with("\r\n")) pending.remove_prefix(2);
  const size_t end = pending.find(HeaderEnd);
  if (end == std::string_view::npos) return false;
  uint64_t length = 0;
  std::string problem;
  if (end > MaxHeader || !ParseHeader(pending.substr(0, end), length, problem)) return true;
  return pending.size() - end - HeaderEnd.size() >= length;
}

std::string FrameHeader(size_t bodySize) { return "Content-Length: " + std::to_string(bodySize) + "\r\n\r\n"; }

std::string FramedMessage(std::string_view body) {
  std::string out = FrameHeader(body.size());
  out += body;
  return out;
}
