#include "fuzz/StoryBytesHarness.h"

#include <string_view>

#include "fuzz/MemoryTextInput.h"
#include "fuzz/Utf8Oracle.h"
#include "platform/HeadlessWindow.h"
#include "platform/StoryDecoder.h"
#include "platform/StoryFileInput.h"
#include "story/mdlRead.h"

namespace {

constexpr std::string_view ByteOrderMarks[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};

// The loader opens files by name; this one answers with the bytes in memory.
class BytesFileInput : public TextFileInput {
 public:
  explicit BytesFileInput(std::string_view bytes) : bytes_(bytes) {}
  bool Open(const std::string&) override {
    opened_ = input_.OpenBytes(bytes_);
    return opened_;
  }
  ReadResult ReadLine(std::u16string_view& line) override { return input_.ReadLine(line); }
  void Close() override { input_.Close(); }
  size_t LengthHint() const override { return input_.LengthHint(); }
  bool Opened() const { return opened_; }

 private:
  std::string_view bytes_;
  StoryFileInput input_;
  bool opened_ = false;
};

// Records the length the input promised, which the loader only asks once.
class HintRecorder : public TextFileInput {
 public:
  explicit HintRecorder(TextFileInput& input) : input_(input) {}
  bool Open(const std::string& path) override { return input_.Open(path); }
  ReadResult ReadLine(std::u16string_view& line) override { return input_.ReadLine(line); }
  void Close() override { input_.Close(); }
  size_t LengthHint() const override {
    hint_ = input_.LengthHint();
    return hint_;
  }
  size_t Hint() const { return hint_; }

 private:
  TextFileInput& input_;
  mutable size_t hint_ = 0;
};

}  // namespace

std::string CheckStoryBytes(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  std::string bytes(ByteOrderMarks[data[0] % 4]);
  bytes.append(reinterpret_cast<const char*>(data + 1), size - 1);

  const std::u16string decoded = DecodeStory(bytes);
  if (decoded.size() > MaxDecodedLength(bytes, bytes.size())) {
    return "decoded to more units than MaxDecodedLength allows";
  }

  StoryState story;
  HeadlessWindow window;
  window.SetStandingDialogAnswer("story.vln");
  BytesFileInput file(bytes);
  HintRecorder input(file);
  const std::u16string text = LoadStory(story, window, input);
  if (!file.Opened()) return "bytes in memory would not open";

  if (!text.empty() && !text.ends_with(u"\r\n")) return "text does not end with CR LF";
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n')) {
      return "CR without its LF at unit " + std::to_string(i);
    }
  }
  if (input.Hint() != text.size()) {
    return "length hint " + std::to_string(input.Hint()) + " for a text of " +
           std::to_string(text.size());
  }

  // Line splitting, held against the plain splitter the handler fuzzer uses.
  std::u16string joined;
  for (const auto& line : MemoryTextInput::SplitLines(decoded)) {
    joined += line;
    joined += u"\r\n";
  }
  if (text != joined) return "lines differ from the decoded text split at CR LF and lone CR";

  const bool hasMark = bytes.starts_with(ByteOrderMarks[1]) || bytes.starts_with(ByteOrderMarks[2]) ||
                       bytes.starts_with(ByteOrderMarks[3]);
  if (!hasMark && IsValidUtf8(bytes)) {
    const std::optional<std::string> back = EncodeUtf8(decoded);
    if (!back || *back != bytes) return "valid UTF-8 without a mark did not decode to the same characters";
  }
  return {};
}
