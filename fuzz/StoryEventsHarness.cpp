#include "fuzz/StoryEventsHarness.h"

#include <array>
#include <optional>

#include "fuzz/MemoryTextInput.h"
#include "platform/HeadlessWindow.h"
#include "window/frmMain.h"

namespace {

using StoryEvents::Answer;

constexpr std::u16string_view LineBreak = u"\r\n";

// Keys with no meaning to the reader in any state, modifier-shifted codes
// (a code above 255) included.
constexpr std::array<uint16_t, 16> OtherKeys{0,  8,  9,   13,  27,  34,  37,  38,
                                             39, 65, 112, 255, 288, 296, 305, 0xFFFF};

const char* FileName(Answer answer) {
  switch (answer) {
    case Answer::Story: return "story.vln";
    case Answer::StoryTail: return "tail.vln";
    case Answer::Missing: return "missing.vln";
    case Answer::Broken: return "broken.vln";
    case Answer::EmptyFile: return "empty.vln";
    case Answer::Cancel: break;
  }
  return nullptr;
}

// Remembers where the engine was reading each time it set the caption. The
// engine sets it in every step that reads a line, and only there can a
// choice list come from.
class RecordingWindow : public HeadlessWindow {
 public:
  explicit RecordingWindow(const StoryState& story) : story_(story) {}
  void SetCaption(std::u16string_view text) override {
    readPositions_.push_back(story_.StoryPos);
    if (!flagsAtFirstCaption_) flagsAtFirstCaption_ = Flags();
    HeadlessWindow::SetCaption(text);
  }
  void StartEvent() {
    readPositions_.clear();
    flagsAtFirstCaption_.reset();
  }
  std::array<int16_t, 5> Flags() const {
    return {story_.FlagA, story_.FlagB, story_.FlagC, story_.FlagD, story_.FlagE};
  }
  const std::vector<int32_t>& ReadPositions() const { return readPositions_; }
  const std::optional<std::array<int16_t, 5>>& FlagsAtFirstCaption() const {
    return flagsAtFirstCaption_;
  }

 private:
  const StoryState& story_;
  std::vector<int32_t> readPositions_;
  std::optional<std::array<int16_t, 5>> flagsAtFirstCaption_;
};

struct Snapshot {
  std::u16string StoryText;
  int32_t StoryPos;
  std::u16string ChoiceList;
  std::array<int16_t, 5> Flags;
  std::u16string Caption;
  long CaptionCount;
  bool Minimized;
  size_t Dialogs;
  size_t Messages;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const StoryState& story, const RecordingWindow& window) {
  return {story.StoryText,          story.StoryPos,          story.ChoiceList,
          window.Flags(),           window.CurrentCaption(), window.CaptionCount(),
          window.IsMinimized(),     window.DialogSetups().size(), window.Messages().size()};
}

struct Event {
  enum Kind { Key, Restore, Open, Exit } kind;
  uint16_t keyCode = 0;
  int16_t shift = 0;
  Answer answer = Answer::Cancel;
};

Event Decode(uint8_t byte) {
  const int arg = byte >> 4;
  switch (byte & 0x0F) {
    case 0: case 8: case 9: case 10: case 11:
      return {Event::Key, 40, static_cast<int16_t>(arg)};
    case 1: return {Event::Key, static_cast<uint16_t>(48 + arg % 7)};
    case 2: return {Event::Key, static_cast<uint16_t>(96 + arg % 7)};
    case 3: return {Event::Key, 32};
    case 4: return {Event::Restore};
    case 5: return {Event::Open, 0, 0, static_cast<Answer>(arg % 6)};
    case 6: return {Event::Key, OtherKeys[arg]};
    case 7: return {Event::Exit};
    case 12: case 13: return {Event::Key, static_cast<uint16_t>(49 + arg % 5)};
    default: return {Event::Key, 40};
  }
}

bool IsChoiceKey(uint16_t key) { return (key >= 49 && key <= 53) || (key >= 97 && key <= 101); }

std::u16string JoinLines(const std::vector<std::u16string>& lines) {
  std::u16string text;
  for (const auto& line : lines) {
    text += line;
    text += LineBreak;
  }
  return text;
}

// The line that begins at 1-based `pos`, up to its CR LF.
std::u16string_view LineAt(std::u16string_view text, int32_t pos) {
  if (pos < 1 || static_cast<size_t>(pos) > text.size()) return {};
  const std::u16string_view rest = text.substr(static_cast<size_t>(pos) - 1);
  return rest.substr(0, rest.find(LineBreak));
}

}  // namespace

namespace StoryEvents {

uint8_t Down(uint8_t shift) { return static_cast<uint8_t>((shift & 0x0F) << 4 | 0); }
uint8_t Digit(int key) { return static_cast<uint8_t>((key & 0x0F) << 4 | 1); }
uint8_t Keypad(int key) { return static_cast<uint8_t>((key & 0x0F) << 4 | 2); }
uint8_t Space() { return 3; }
uint8_t RestoreWindow() { return 4; }
uint8_t Open(Answer answer) { return static_cast<uint8_t>(static_cast<int>(answer) << 4 | 5); }
uint8_t OtherKey(int which) { return static_cast<uint8_t>((which & 0x0F) << 4 | 6); }
uint8_t Exit() { return 7; }

std::vector<uint8_t> Encode(std::u16string_view story, const std::vector<uint8_t>& events) {
  const size_t count = std::min<size_t>(events.size(), 255);
  std::vector<uint8_t> data;
  data.reserve(1 + count + story.size() * 2);
  data.push_back(static_cast<uint8_t>(count));
  for (size_t i = 0; i < count; ++i) data.push_back(events[i]);
  for (const char16_t unit : story) {
    data.push_back(static_cast<uint8_t>(unit & 0xFF));
    data.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return data;
}

}  // namespace StoryEvents

std::string RunStoryEvents(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  const size_t eventCount = std::min<size_t>(data[0], size - 1);
  const uint8_t* events = data + 1;
  std::u16string story;
  for (size_t i = 1 + eventCount; i + 1 < size; i += 2) {
    story.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  }

  const std::vector<std::u16string> lines = MemoryTextInput::SplitLines(story);
  const std::vector<std::u16string> tail(lines.empty() ? lines.begin() : lines.begin() + 1,
                                         lines.end());
  MemoryTextInput input;
  input.AddFile(FileName(Answer::Story), {lines, std::nullopt});
  input.AddFile(FileName(Answer::StoryTail), {tail, std::nullopt});
  input.AddFile(FileName(Answer::Broken), {lines, lines.size() / 2});
  input.AddFile(FileName(Answer::EmptyFile), {});

  StoryState state;
  RecordingWindow window(state);
  frmMain form(state, window, input);
  form.Form_Load();
  // The Down arrow opens a story when none is loaded; the dialog then gives
  // the answer of the last Open from the menu, at first the story itself.
  Answer standing = Answer::Story;
  window.SetStandingDialogAnswer(FileName(standing));

  for (size_t n = 0; n < eventCount; ++n) {
    const Event event = Decode(events[n]);
    const Snapshot before = Take(state, window);
    window.StartEvent();
    bool shouldAct = false;
    switch (event.kind) {
      case Event::Key:
        form.Form_KeyDown(event.keyCode, event.shift);
        shouldAct = event.keyCode == 32 ||
                    (before.ChoiceList.empty() ? event.keyCode == 40 : IsChoiceKey(event.keyCode));
        break;
      case Event::Restore:
        window.Restore();
        break;
      case Event::Open:
        standing = event.answer;
        if (const char* name = FileName(standing)) {
          window.SetStandingDialogAnswer(name);
        } else {
          window.SetStandingDialogAnswer(std::nullopt);
        }
        form.mnuFileOpen_Click();
        shouldAct = true;
        break;
      case Event::Exit:
        form.mnuFileClose_Click();
        if (!window.QuitRequested()) return "event " + std::to_string(n) + ": Exit did not quit";
        return {};
    }
    const Snapshot after = Take(state, window);
    const auto fail = [n, events](const std::string& what) {
      return "event " + std::to_string(n) + " (byte " + std::to_string(events[n]) + "): " + what;
    };

    if (event.kind == Event::Restore) {
      if (after.Minimized) return fail("window still minimized after restoring");
      continue;
    }
    if (!shouldAct && after != before) return fail("a key that means nothing here changed something");

    const auto length = static_cast<int64_t>(state.StoryText.size());
    if (state.StoryPos != 0 && (state.StoryPos < 1 || state.StoryPos > length + 1)) {
      return fail("StoryPos " + std::to_string(state.StoryPos) + " outside 1.." +
                  std::to_string(length + 1));
    }
    for (const int16_t flag : after.Flags) {
      if (flag != 0 && flag != -1) return fail("a flag holds " + std::to_string(flag));
    }
    if (!state.StoryText.empty() && !state.StoryText.ends_with(LineBreak)) {
      return fail("story text does not end with CR LF");
    }
    if (window.CurrentCaption().find(LineBreak) != std::u16string::npos) {
      return fail("caption holds a CR LF pair");
    }

    // A new choice list is part of a line read in this very event; one that
    // went away was answered by a choice key. A choice key that did anything
    // took the choice, so the list it leaves is empty or read anew.
    // A line ending in a bare "??" sets an empty list, so a list can also go
    // away by reading.
    bool listFromLineRead = false;
    for (const int32_t pos : window.ReadPositions()) {
      const std::u16string_view line = LineAt(state.StoryText, pos);
      if (line.find(u"??") != std::u16string_view::npos &&
          line.find(after.ChoiceList) != std::u16string_view::npos) {
        listFromLineRead = true;
      }
    }
    if (after.ChoiceList != before.ChoiceList) {
      if (after.ChoiceList.empty()) {
        if ((event.kind != Event::Key || !IsChoiceKey(event.keyCode)) && !listFromLineRead) {
          return fail("choice list cleared neither by a choice key nor by a line");
        }
      } else if (!listFromLineRead) {
        return fail("choice list comes from no line read in this event");
      }
    } else if (event.kind == Event::Key && IsChoiceKey(event.keyCode) && !before.ChoiceList.empty() &&
               after != before && !listFromLineRead) {
      return fail("a choice was taken but its list stayed pending");
    }

    if (event.keyCode == 32 && event.kind == Event::Key) {
      if (!after.Minimized) return fail("Space left the window restored");
      Snapshot expected = before;
      expected.Minimized = true;
      if (after != expected) return fail("Space changed more than the window state");
    }

    const bool opened = after.Dialogs != before.Dialogs;
    if (opened) {
      if (after.Dialogs != before.Dialogs + 1) return fail("more than one Open dialog");
      std::u16string whole;
      if (standing == Answer::Story) whole = JoinLines(lines);
      if (standing == Answer::StoryTail) whole = JoinLines(tail);
      if (standing == Answer::Broken) {
        // Whatever the loader keeps of a failed read, it is what the file
        // held before the failure.
        if (!JoinLines(lines).starts_with(state.StoryText)) {
          return fail("a broken read gave text the file does not begin with");
        }
      } else if (state.StoryText != whole) {
        return fail("opened text differs from the file's lines joined with CR LF");
      }
      if (state.StoryText.empty()) {
        if (after.Messages != before.Messages + 1 || state.StoryPos != 1 ||
            after.Caption != before.Caption || after.CaptionCount != before.CaptionCount) {
          return fail("a failed open did not end with the message and StoryPos 1");
        }
        const auto& message = window.Messages().back();
        if (message.Text != u"ファイルが開けません" || message.Title != u"エラー") {
          return fail("wrong message for a failed open");
        }
        const bool readWhole = standing == Answer::EmptyFile ||
                               (standing == Answer::Story && lines.empty()) ||
                               (standing == Answer::StoryTail && tail.empty());
        const std::array<int16_t, 5> expected =
            readWhole ? std::array<int16_t, 5>{0, 0, 0, before.Flags[3], before.Flags[4]}
                      : before.Flags;
        if (after.Flags != expected) return fail("flags after a read that gave no text");
      } else {
        if (after.Messages != before.Messages) return fail("message shown for a story that opened");
        const auto& flags = window.FlagsAtFirstCaption();
        if (!flags) return fail("an opened story showed no first line");
        // A read that failed midway does not count as a load, whatever it kept.
        const std::array<int16_t, 5> expected =
            standing == Answer::Broken
                ? before.Flags
                : std::array<int16_t, 5>{0, 0, 0, before.Flags[3], before.Flags[4]};
        if (*flags != expected) return fail("flags A to C not cleared, or D and E touched, by a load");
      }
    } else if (after.Messages != before.Messages) {
      return fail("message shown without an Open");
    }
  }
  return {};
}
