#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/HeadlessWindow.h"
#include "story/mdlRead.h"
#include "tests/ScriptedInput.h"
#include "tests/StoryTestSupport.h"

namespace {

TEST(LoadStory, AsksTheDialogWithTheStorySetup) {
  StoryState story;
  HeadlessWindow window;
  ScriptedInput input;
  window.QueueDialogAnswer(std::nullopt);
  LoadStory(story, window, input);
  ASSERT_EQ(window.DialogSetups().size(), 1u);
  const OpenDialogSetup& setup = window.DialogSetups()[0];
  EXPECT_EQ(setup.Title, u"ファイルを開く");
  EXPECT_EQ(setup.Filter, u"Velnoriファイル(*.vln)|*.vln");
  EXPECT_EQ(setup.FilterIndex, 1);
  EXPECT_EQ(setup.FileName, u"");
  EXPECT_EQ(setup.Flags, 4);
  EXPECT_TRUE(setup.CancelError);
}

TEST(LoadStory, OutcomesAndFlags) {
  const struct {
    const char* why;
    std::optional<std::string> answer;
    bool openFails;
    std::vector<std::u16string> lines;
    std::optional<size_t> failAfter;
    std::u16string text;
    bool flagsCleared;
  } cases[] = {
      {"success", "a.vln", false, {u"one", u"", u"three"}, {}, u"one\r\n\r\nthree\r\n", true},
      {"lone LF stays in its line", "a.vln", false, {u"a\nb"}, {}, u"a\nb\r\n", true},
      {"empty file still clears the flags", "a.vln", false, {}, {}, u"", true},
      {"cancelled", std::nullopt, false, {u"x"}, {}, u"", false},
      {"cannot open", "missing.vln", true, {u"x"}, {}, u"", false},
      {"read fails midway: nothing, not a cut story", "a.vln", false, {u"1", u"2", u"3"}, 2,
       u"", false},
  };
  for (const auto& c : cases) {
    StoryState story = AllFlagsOn();
    HeadlessWindow window;
    ScriptedInput input;
    input.lines = c.lines;
    input.openFails = c.openFails;
    input.failAfter = c.failAfter;
    window.QueueDialogAnswer(c.answer);
    EXPECT_EQ(LoadStory(story, window, input), c.text) << c.why;
    const int16_t abc = c.flagsCleared ? FlagOff : FlagOn;
    EXPECT_EQ(story.FlagA, abc) << c.why;
    EXPECT_EQ(story.FlagB, abc) << c.why;
    EXPECT_EQ(story.FlagC, abc) << c.why;
    EXPECT_EQ(story.FlagD, FlagOn) << c.why;
    EXPECT_EQ(story.FlagE, FlagOn) << c.why;
    if (c.answer) {
      EXPECT_EQ(input.opened, std::vector<std::string>{*c.answer}) << c.why;
      if (!c.openFails) {
        EXPECT_EQ(input.closes, 1) << c.why;
      }
    }
  }
}

}  // namespace
