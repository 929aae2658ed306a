#include <string_view>

#include "story/mdlRead.h"

OpenDialogSetup StoryOpenDialogSetup() {
  OpenDialogSetup setup;
  setup.Title = u"ファイルを開く";
  setup.Filter = u"Velnoriファイル(*.vln)|*.vln";
  setup.FilterIndex = 1;
  setup.FileName.clear();
  setup.Flags = 4;
  setup.CancelError = true;
  return setup;
}

namespace {

// Reads every line; false when reading failed midway or the text would be too
// long. A story cut short would read as if it were whole, so a failure keeps
// nothing of what was read.
bool ReadAllLines(TextFileInput& input, std::u16string& text) {
  input.ReserveStoryText(text);
  std::u16string_view line;
  for (;;) {
    switch (input.ReadLine(line)) {
      case TextFileInput::ReadResult::EndOfFile:
        return true;
      case TextFileInput::ReadResult::Failed:
        return false;
      case TextFileInput::ReadResult::Line:
        if (line.size() + 2 > MaxStoryLength - text.size()) return false;
        text += line;
        text += u"\r\n";
        break;
    }
  }
}

}  // namespace

std::u16string LoadStory(StoryState& story, OpenDialog& dialog, TextFileInput& input) {
  const std::optional<std::string> name = dialog.ShowOpen(StoryOpenDialogSetup());
  if (!name || !input.Open(*name)) return {};
  std::u16string text;
  const bool complete = ReadAllLines(input, text);
  input.Close();
  if (!complete) return {};
  story.FlagA = FlagOff;
  story.FlagB = FlagOff;
  story.FlagC = FlagOff;
  return text;
}
