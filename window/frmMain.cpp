#include "window/frmMain.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>

#include "story/StoryStrings.h"
#include "story/mdlFunction.h"
#include "story/mdlRead.h"

namespace {

// The choice index a digit key gives, main row or keypad.
std::optional<int> ChoiceIndex(uint16_t keyCode) {
  for (const uint16_t first : {VirtualKey::Digit1, VirtualKey::Numpad1}) {
    if (keyCode >= first && keyCode < first + 5) return keyCode - first;
  }
  return std::nullopt;
}

}  // namespace

void frmMain::Form_Load() { window_.SetCaption(u"Velnori"); }

void frmMain::mnuFileOpen_Click() {
  story_.StoryPos = 1;
  story_.StoryText = LoadStory(story_, window_, input_);
  if (story_.StoryText.empty()) {
    window_.ShowMessage(u"ファイルが開けません", u"エラー");
    return;
  }
  story_.StoryPos = ShowNextLine(story_, window_);
}

void frmMain::mnuFileClose_Click() { window_.Quit(); }

void frmMain::Form_KeyDown(uint16_t KeyCode, int16_t /*Shift*/) {
  if (KeyCode == VirtualKey::Space) {
    if (!window_.IsMinimized()) window_.Minimize();
    return;
  }
  if (!story_.ChoiceList.empty()) {
    if (const std::optional<int> index = ChoiceIndex(KeyCode)) TakeChoice(*index);
    return;
  }
  if (KeyCode != VirtualKey::Down) return;
  if (story_.StoryText.empty()) {
    mnuFileOpen_Click();
    return;
  }
  story_.StoryPos = ShowNextLine(story_, window_);
}

// Lands just after the chosen label on its own line, so the rest of that line
// shows with the key press that makes the choice. A label that begins no line
// lands that far from the start of the story, as the search result 0 gives.
void frmMain::TakeChoice(int index) {
  const std::u16string label = GetListItem(story_.ChoiceList, index);
  if (label.empty()) return;
  story_.ChoiceList.clear();
  const std::u16string search = u"\r\n" + label;
  const int64_t landing =
      StoryFind(1, story_.StoryText, search) + static_cast<int64_t>(search.size());
  story_.StoryPos =
      static_cast<int32_t>(std::min<int64_t>(landing, std::numeric_limits<int32_t>::max()));
  story_.StoryPos = ShowNextLine(story_, window_);
}
