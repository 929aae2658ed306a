#include "window/frmMain.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/HeadlessWindow.h"
#include "tests/ScriptedInput.h"
#include "tests/StoryTestSupport.h"
#include "tests/WorkedExample.h"

namespace {

const std::vector<std::u16string> ChoiceStory = {
    u"[a]first", u"second??[x],[y]", u"[x]ex", u"[y]why", u"last::END"};

// The reader's window with a story file "story.vln" on disk.
struct Reader {
  StoryState story;
  HeadlessWindow window;
  ScriptedInput input;
  frmMain form{story, window, input};

  Reader() {
    input.files["story.vln"] = ChoiceStory;
    window.SetStandingDialogAnswer("story.vln");
    form.Form_Load();
  }
  void Key(uint16_t key, int16_t shift = 0) { form.Form_KeyDown(key, shift); }
};

enum class State { Choosing, NoStory, Reading, Stopped };

void Enter(Reader& reader, State state) {
  switch (state) {
    case State::NoStory:
      return;
    case State::Reading:
      reader.form.mnuFileOpen_Click();
      return;
    case State::Choosing:
      reader.form.mnuFileOpen_Click();
      reader.Key(VirtualKey::Down);
      return;
    case State::Stopped:
      reader.form.mnuFileOpen_Click();
      reader.story.StoryPos = 0;
      return;
  }
}

constexpr int16_t ShiftMask = 1;
constexpr int16_t CtrlMask = 2;

// What one key press does in each state. `caption` empty means unchanged.
struct KeyCase {
  State state;
  uint16_t key;
  int16_t shift;
  std::u16string caption;
  bool minimized;
  bool dialogShown;
  bool choicePending;
  const char* why;
};

TEST(FormKeyDown, EveryStateAgainstEveryKindOfKey) {
  const KeyCase cases[] = {
      {State::Choosing, 40, 0, u"", false, false, true, "Down waits for the choice"},
      {State::Choosing, 49, 0, u"ex", false, false, false, "main-row 1 picks the first item"},
      {State::Choosing, 98, 0, u"why", false, false, false, "keypad 2 picks the second"},
      {State::Choosing, 50, ShiftMask, u"why", false, false, false, "Shift does not matter"},
      {State::Choosing, 51, 0, u"", false, false, true, "3 has no item"},
      {State::Choosing, 101, 0, u"", false, false, true, "keypad 5 has no item"},
      {State::Choosing, 48, 0, u"", false, false, true, "0 is no choice key"},
      {State::Choosing, 54, 0, u"", false, false, true, "6 is no choice key"},
      {State::Choosing, 32, 0, u"", true, false, true, "Space hides, the choice waits"},
      {State::Choosing, 13, 0, u"", false, false, true, "Enter"},
      {State::NoStory, 40, 0, u"first", false, true, false, "Down opens a story"},
      {State::NoStory, 40, CtrlMask, u"first", false, true, false, "Ctrl+Down too"},
      {State::NoStory, 49, 0, u"", false, false, false, "digits without a choice"},
      {State::NoStory, 32, 0, u"", true, false, false, "Space"},
      {State::NoStory, 65, 0, u"", false, false, false, "a letter"},
      {State::Reading, 40, 0, u"second", false, false, true, "Down reads on"},
      {State::Reading, 40, ShiftMask | CtrlMask, u"second", false, false, true,
       "modified Down reads on"},
      {State::Reading, 49, 0, u"", false, false, false, "digits without a choice"},
      {State::Reading, 38, 0, u"", false, false, false, "Up"},
      {State::Reading, 13, 0, u"", false, false, false, "Enter"},
      {State::Reading, 32, 0, u"", true, false, false, "Space"},
      {State::Stopped, 40, 0, u"", false, false, false, "Down changes nothing"},
      {State::Stopped, 32, 0, u"", true, false, false, "Space"},
  };
  for (const auto& c : cases) {
    Reader reader;
    Enter(reader, c.state);
    const std::u16string before = reader.window.CurrentCaption();
    const size_t dialogsBefore = reader.window.DialogSetups().size();
    const int32_t posBefore = reader.story.StoryPos;
    reader.Key(c.key, c.shift);
    const std::u16string expected = c.caption.empty() ? before : c.caption;
    EXPECT_EQ(reader.window.CurrentCaption(), expected) << c.why;
    EXPECT_EQ(reader.window.IsMinimized(), c.minimized) << c.why;
    EXPECT_EQ(reader.window.DialogSetups().size() > dialogsBefore, c.dialogShown) << c.why;
    EXPECT_EQ(!reader.story.ChoiceList.empty(), c.choicePending) << c.why;
    if (c.caption.empty()) {
      EXPECT_EQ(reader.story.StoryPos, posBefore) << c.why;
    }
    EXPECT_TRUE(reader.window.Messages().empty()) << c.why;
  }
}

TEST(FormKeyDown, SpaceWhileMinimizedChangesNothing) {
  Reader reader;
  reader.Key(VirtualKey::Space);
  reader.Key(VirtualKey::Space);
  EXPECT_TRUE(reader.window.IsMinimized());
  EXPECT_EQ(reader.window.CurrentCaption(), u"Velnori");
}

// A label that begins no line is searched for in vain (position 0), and the
// landing is counted from the start of the story: 2 + the label's length.
TEST(FormKeyDown, ChoiceOfAMissingLabelLandsNearTheStart) {
  Reader reader;
  reader.input.files["story.vln"] = {u"0123456789abcdef", u"go??[zz]"};
  reader.form.mnuFileOpen_Click();
  reader.Key(VirtualKey::Down);
  reader.Key(VirtualKey::Digit1);
  EXPECT_EQ(reader.window.CurrentCaption(), u"56789abcdef");
  EXPECT_EQ(reader.story.StoryPos, 19);
}

struct OpenCase {
  const char* why;
  std::optional<std::string> answer;
  bool loads;
};

TEST(MenuOpen, SuccessCancelMissingAndEmptyFiles) {
  const OpenCase cases[] = {
      {"a story", "story.vln", true},
      {"cancelled", std::nullopt, false},
      {"missing file", "missing.vln", false},
      {"empty file", "empty.vln", false},
  };
  for (const auto& c : cases) {
    Reader reader;
    reader.input.files["empty.vln"] = {};
    reader.form.mnuFileOpen_Click();  // a story is being read
    reader.Key(VirtualKey::Down);
    reader.Key(VirtualKey::Digit1);  // FlagA..E untouched by this story; set them by hand
    reader.story.FlagA = reader.story.FlagD = FlagOn;
    reader.window.QueueDialogAnswer(c.answer);
    const std::u16string captionBefore = reader.window.CurrentCaption();

    reader.form.mnuFileOpen_Click();

    if (c.loads) {
      EXPECT_EQ(reader.story.StoryText.substr(0, 10), u"[a]first\r\n") << c.why;
      EXPECT_EQ(reader.window.CurrentCaption(), u"first") << c.why;
      EXPECT_EQ(reader.story.StoryPos, 11) << c.why;
      EXPECT_TRUE(reader.window.Messages().empty()) << c.why;
      EXPECT_EQ(reader.story.FlagA, FlagOff) << c.why;
    } else {
      ASSERT_EQ(reader.window.Messages().size(), 1u) << c.why;
      EXPECT_EQ(reader.window.Messages()[0].Text, u"ファイルが開けません") << c.why;
      EXPECT_EQ(reader.window.Messages()[0].Title, u"エラー") << c.why;
      EXPECT_EQ(reader.story.StoryText, u"") << c.why;
      EXPECT_EQ(reader.story.StoryPos, 1) << c.why;
      EXPECT_EQ(reader.window.CurrentCaption(), captionBefore) << c.why;
      // Only a successful read clears flags; an empty file is one.
      const bool emptyFile = c.answer && *c.answer == "empty.vln";
      EXPECT_EQ(reader.story.FlagA, emptyFile ? FlagOff : FlagOn) << c.why;
    }
    EXPECT_EQ(reader.story.FlagD, FlagOn) << c.why;
  }
}

// After a failed open no story is loaded, so Down asks for one again.
TEST(MenuOpen, AfterACancelDownOpensTheDialogAgain) {
  Reader reader;
  reader.form.mnuFileOpen_Click();
  reader.window.QueueDialogAnswer(std::nullopt);
  reader.form.mnuFileOpen_Click();
  reader.Key(VirtualKey::Down);
  EXPECT_EQ(reader.window.DialogSetups().size(), 3u);
  EXPECT_EQ(reader.window.CurrentCaption(), u"first");
}

TEST(MenuOpen, APendingChoiceAndFlagsDAndESurviveANewStory) {
  Reader reader;
  reader.input.files["other.vln"] = {u"other", u"[y]why not", u"[x]ex"};
  reader.form.mnuFileOpen_Click();
  reader.Key(VirtualKey::Down);  // choice [x],[y] pending
  reader.story.FlagB = reader.story.FlagE = FlagOn;
  reader.window.QueueDialogAnswer("other.vln");
  reader.form.mnuFileOpen_Click();
  EXPECT_EQ(reader.story.ChoiceList, u"[x],[y]");
  EXPECT_EQ(reader.story.FlagB, FlagOff);
  EXPECT_EQ(reader.story.FlagE, FlagOn);
  reader.Key(VirtualKey::Down);
  EXPECT_EQ(reader.window.CurrentCaption(), u"other");
  reader.Key(VirtualKey::Numpad1 + 1);
  EXPECT_EQ(reader.window.CurrentCaption(), u"why not");
}

TEST(MenuExit, AsksTheWindowToQuit) {
  Reader reader;
  reader.form.mnuFileClose_Click();
  EXPECT_TRUE(reader.window.QuitRequested());
}

TEST(FormLoad, ShowsTheProductName) {
  Reader reader;
  EXPECT_EQ(reader.window.CurrentCaption(), u"Velnori");
  EXPECT_EQ(reader.story.StoryPos, 0);
  EXPECT_EQ(reader.story.StoryText, u"");
}

// The worked example, read with the keys a reader presses.
TEST(FormKeyDown, WorkedExampleByKeyPresses) {
  Reader reader;
  reader.input.files["story.vln"] = WorkedExampleLines;
  const struct {
    uint16_t key;
    std::u16string caption;
    int32_t pos;
  } steps[] = {
      {40, u"Morning. The alarm rings.", 35}, {40, u"Get up or sleep on", 69},
      {40, u"Get up or sleep on", 69},        {98, u"You sleep on.", 149},
      {40, u"On the road.", 212},             {40, u"", 214},
      {40, u"You miss the bus.", 0},          {40, u"You miss the bus.", 0},
  };
  for (const auto& step : steps) {
    reader.Key(step.key);
    EXPECT_EQ(reader.window.CurrentCaption(), step.caption);
    EXPECT_EQ(reader.story.StoryPos, step.pos);
  }
}

}  // namespace
