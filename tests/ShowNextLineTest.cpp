#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/HeadlessWindow.h"
#include "story/StoryStrings.h"
#include "story/mdlRead.h"
#include "tests/StoryTestSupport.h"
#include "tests/WorkedExample.h"

namespace {

const std::u16string WorkedExample = StoryOf(WorkedExampleLines);

struct Reader {
  StoryState story;
  HeadlessWindow window;

  explicit Reader(std::u16string text) {
    story.StoryText = std::move(text);
    story.StoryPos = 1;
  }
  void Step() { story.StoryPos = ShowNextLine(story, window); }
  // Takes a choice the way the digit keys do: just past the label.
  void Choose(const std::u16string& label) {
    story.ChoiceList.clear();
    const std::u16string search = u"\r\n" + label;
    story.StoryPos = static_cast<int32_t>(StoryFind(1, story.StoryText, search) +
                                          static_cast<int64_t>(search.size()));
    Step();
  }
  const std::u16string& CaptionNow() const { return window.CurrentCaption(); }
};

struct Expected {
  const char* event;  // "down" or the label chosen
  std::u16string caption;
  int32_t pos;
};

void Play(const std::vector<Expected>& events) {
  Reader reader(WorkedExample);
  for (const auto& e : events) {
    if (std::string(e.event) == "down") {
      reader.Step();
    } else {
      const std::string label = e.event;
      reader.Choose(std::u16string(label.begin(), label.end()));
    }
    EXPECT_EQ(reader.CaptionNow(), e.caption) << "after " << e.event;
    EXPECT_EQ(reader.story.StoryPos, e.pos) << "after " << e.event;
  }
}

TEST(WorkedExample, GettingUpCatchesTheBus) {
  Play({
      {"down", u"Morning. The alarm rings.", 35},
      {"down", u"Get up or sleep on", 69},
      {"[up]", u"You get up.", 91},
      {"down", u"You leave the house.", 147},
      {"down", u"", 149},
      {"down", u"On the road.", 182},
      {"down", u"", 184},
      {"down", u"You catch the bus.", 0},
      {"down", u"You catch the bus.", 0},
  });
}

TEST(WorkedExample, SleepingOnMissesTheBus) {
  Play({
      {"down", u"Morning. The alarm rings.", 35},
      {"down", u"Get up or sleep on", 69},
      {"[sleep]", u"You sleep on.", 149},
      {"down", u"On the road.", 212},
      {"down", u"", 214},
      {"down", u"You miss the bus.", 0},
  });
}

TEST(WorkedExample, ChoiceListAndFlagFollowTheStory) {
  Reader reader(WorkedExample);
  reader.Step();
  reader.Step();
  EXPECT_EQ(reader.story.ChoiceList, u"[up],[sleep]");
  reader.Choose(u"[up]");
  EXPECT_EQ(reader.story.FlagA, FlagOn);
}

// One line shown from the start of a story; what is left behind.
struct LineCase {
  const char* why;
  std::u16string line;
  std::u16string caption;
  std::u16string choice;  // ChoiceList afterwards (starts empty)
  int16_t flagA;          // FlagA afterwards (starts off)
  bool stops;             // returns 0
};

TEST(ShowNextLine, MarkupOfOneLine) {
  const LineCase cases[] = {
      {"plain line", u"Hello", u"Hello", u"", 0, false},
      {"empty line", u"", u"", u"", 0, false},
      {"spaces trimmed", u"  Hello  ", u"Hello", u"", 0, false},
      {"label prefix hidden", u"[x]Hello", u"Hello", u"", 0, false},
      {"label only", u"[x]", u"", u"", 0, false},
      {"label after spaces", u"  [x] Hello", u"Hello", u"", 0, false},
      {"no closing bracket: shown whole", u"[x Hello", u"[x Hello", u"", 0, false},
      {"bracket not first is text", u"a[x]b", u"a[x]b", u"", 0, false},
      {"choice", u"Q??[a],[b]", u"Q", u"[a],[b]", 0, false},
      {"command after choice joins the list", u"Question??[a],[b]::AON", u"Question",
       u"[a],[b]::AON", 0, false},
      {"keywords in any case", u"Hello::aon", u"Hello", u"", -1, false},
      {"OFF wins over ON", u"Hello::AONAOFF", u"Hello", u"", 0, false},
      {"OFF wins whatever the order", u"Hello::aoff aon", u"Hello", u"", 0, false},
      {"jump after command ignored", u"Go>>[x]::END", u"Go>>[x]", u"", 0, true},
      {"end", u"Bye::END", u"Bye", u"", 0, true},
      {"end in lower case", u"Bye::end", u"Bye", u"", 0, true},
      {"end with choice keeps the choice", u"Bye::END??[a],[b]", u"Bye", u"[a],[b]", 0, true},
      {"unknown command is harmless", u"Hi::XYZ", u"Hi", u"", 0, false},
      {"jump with nothing before it", u">>[x]", u"", u"", 0, false},
      {"jump to a missing label stops", u"Go>>[nowhere]", u"Go", u"", 0, true},
      {"ideographic spaces trimmed around parts",
       u"\u3000[x]\u3000本文\u3000??\u3000[a],[b]\u3000", u"本文", u"[a],[b]", 0, false},
      {"ideographic spaces around command", u"文\u3000::\u3000aon\u3000", u"文", u"", -1, false},
  };
  for (const auto& c : cases) {
    Reader reader(StoryOf({c.line, u"[x]target"}));
    reader.Step();
    EXPECT_EQ(reader.CaptionNow(), c.caption) << c.why;
    EXPECT_EQ(reader.story.ChoiceList, c.choice) << c.why;
    EXPECT_EQ(reader.story.FlagA, c.flagA) << c.why;
    EXPECT_EQ(reader.story.StoryPos == 0, c.stops) << c.why;
  }
}

TEST(ShowNextLine, SwitchesEveryFlagByItsOwnKeywords) {
  Reader reader(StoryOf({u"::aon bon CON d-o-n EoN", u"::BOFF eoff", u"x"}));
  reader.Step();
  EXPECT_EQ(reader.story.FlagA, -1);
  EXPECT_EQ(reader.story.FlagB, -1);
  EXPECT_EQ(reader.story.FlagC, -1);
  EXPECT_EQ(reader.story.FlagD, 0);
  EXPECT_EQ(reader.story.FlagE, -1);
  reader.Step();
  EXPECT_EQ(reader.story.FlagB, 0);
  EXPECT_EQ(reader.story.FlagE, 0);
  EXPECT_EQ(reader.story.FlagA, -1);
}

// Where a jump lands, seen as the captions of the following steps.
struct JumpCase {
  const char* why;
  std::vector<std::u16string> lines;
  int16_t flagA;
  int16_t flagB;
  std::vector<std::u16string> captions;  // from the first step on
  std::u16string target;  // the first jump's, as its search looks for it
};

std::vector<JumpCase> JumpCases() {
  return {
      {"plain jump, empty step, then the target",
       {u"start>>[t]", u"skipped", u"[t]target"}, 0, 0, {u"start", u"", u"target"}, u"[t]"},
      {"conditional, flag on: first name",
       {u"go>>A[y],[n]", u"[n]no", u"[y]yes"}, -1, 0, {u"go", u"", u"yes"}, u"[y]"},
      {"conditional, flag off: second name",
       {u"go>>A[y],[n]", u"[y]yes", u"[n]no"}, 0, 0, {u"go", u"", u"no"}, u"[n]"},
      {"one name, flag off: lands on the first line break",
       {u"first", u"Next>>A[p]", u"[p]p"}, 0, 0, {u"first", u"Next", u"", u"Next"}, u""},
      {"plain target starting with A-E is conditional",
       {u"Go>>Apple", u"pple", u"Apple"}, -1, 0, {u"Go", u"", u"pple"}, u"pple"},
      {"names read three after the first >>, flag of the marker",
       {u"go>>Z[y],[n] >>B", u"[n]no", u"[y]yes"}, 0, -1, {u"go", u"", u"yes"}, u"[y]"},
      {"target is a line prefix", {u"j>>go", u"good day", u"go"}, 0, 0,
       {u"j", u"", u"good day"}, u"go"},
      {"marker order: A decides before B", {u"j>>B[b],[m]>>A", u"[m]m", u"[b]b"}, -1, 0,
       {u"j", u"", u"b"}, u"[b]"},
  };
}

TEST(ShowNextLine, JumpsLandOnTheLineBreakBeforeTheirTarget) {
  for (const auto& c : JumpCases()) {
    std::u16string text;
    for (const auto& line : c.lines) text += line + u"\r\n";
    Reader reader(text);
    reader.story.FlagA = c.flagA;
    reader.story.FlagB = c.flagB;
    for (size_t i = 0; i < c.captions.size(); ++i) {
      reader.Step();
      EXPECT_EQ(reader.CaptionNow(), c.captions[i]) << c.why << ", step " << i + 1;
    }
  }
}

// A search answered as the story's own would be, that notes what it is asked.
struct NotingSearch : TargetSearch {
  const std::u16string* text = nullptr;
  mutable std::vector<std::u16string> asked;
  int64_t FirstBreak(std::u16string_view target) const override {
    asked.emplace_back(target);
    return StoryFind(1, *text, u"\r\n" + std::u16string(target));
  }
};

// The author's tools answer a jump from an index: the interpreter must ask
// for exactly the target its own search looks for, once, and go where the
// answer says.
TEST(ShowNextLine, AGivenSearchIsAskedForTheTargetAndDecides) {
  for (const auto& c : JumpCases()) {
    std::u16string text;
    for (const auto& line : c.lines) text += line + u"\r\n";
    Reader own(text);
    Reader searched(text);
    NotingSearch search;
    search.text = &searched.story.StoryText;
    searched.story.Search = &search;
    for (Reader* reader : {&own, &searched}) {
      reader->story.FlagA = c.flagA;
      reader->story.FlagB = c.flagB;
    }
    for (size_t i = 0; i < c.captions.size(); ++i) {
      own.Step();
      searched.Step();
      EXPECT_EQ(searched.story.StoryPos, own.story.StoryPos) << c.why << ", step " << i + 1;
      EXPECT_EQ(searched.CaptionNow(), own.CaptionNow()) << c.why << ", step " << i + 1;
    }
    ASSERT_FALSE(search.asked.empty()) << c.why;
    EXPECT_EQ(search.asked.front(), c.target) << c.why;
  }
}

TEST(ShowNextLine, AfterTheLastLineNothingChanges) {
  Reader reader(StoryOf({u"only"}));
  reader.Step();
  EXPECT_EQ(reader.story.StoryPos, 7);
  const long shown = reader.window.CaptionCount();
  reader.Step();
  EXPECT_EQ(reader.story.StoryPos, 0);
  EXPECT_EQ(reader.window.CaptionCount(), shown);
  EXPECT_EQ(reader.CaptionNow(), u"only");
}

TEST(ShowNextLine, StoppedOrBeyondTheEndShowsNothing) {
  for (const int32_t pos : {0, -5, 8, 100, 2147483647}) {
    Reader reader(StoryOf({u"only"}));
    reader.story.StoryPos = pos;
    EXPECT_EQ(ShowNextLine(reader.story, reader.window), 0) << pos;
    EXPECT_EQ(reader.window.CaptionCount(), 0) << pos;
  }
}

// A line far longer than 16-bit positions reach keeps every marker working.
TEST(ShowNextLine, MarkersBeyondSixteenBitPositions) {
  const std::u16string padding(40000, u'あ');
  Reader reader(StoryOf({padding + u"??[a],[b]", padding + u"::BON>>[x]", padding + u">>[t]",
                         u"[t]" + padding + u"end"}));
  reader.Step();
  EXPECT_EQ(reader.CaptionNow(), padding);
  EXPECT_EQ(reader.story.ChoiceList, u"[a],[b]");
  reader.Step();
  EXPECT_EQ(reader.story.FlagB, -1);
  reader.Step();
  EXPECT_EQ(reader.CaptionNow(), padding);
  reader.Step();
  EXPECT_EQ(reader.CaptionNow(), u"");
  reader.Step();
  EXPECT_EQ(reader.CaptionNow(), padding + u"end");
}

}  // namespace
