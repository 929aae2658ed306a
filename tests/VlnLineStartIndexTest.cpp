#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <random>
#include <string>
#include <vector>

#include "story/StoryStrings.h"
#include "story/mdlFunction.h"
#include "tools/vln/check/CheckStory.h"
#include "tools/vln/map/MapDot.h"
#include "tools/vln/map/StoryMap.h"
#include "tools/vln/reading/LineMarkup.h"
#include "tools/vln/reading/LineStartIndex.h"
#include "tools/vln/reading/StoryLines.h"
#include "tools/vln/reading/StoryProbe.h"
#include "tools/vln/reading/StoryReach.h"
#include "tools/vln/reading/StoryTargets.h"

namespace {

int64_t JumpSearch(std::u16string_view text, std::u16string_view target) {
  return StoryFind(1, text, u"\r\n" + std::u16string(target));
}

// The index stands in for the search a jump makes, so it must agree with that
// search on every target: here every piece of each text up to 8 units long,
// plus targets running past the end.
TEST(LineStartIndex, AgreesWithTheJumpSearch) {
  const std::vector<std::pair<std::u16string, const char*>> texts = {
      {u"", "no story"},
      {u"[a]x\r\n", "one line: its label is never found"},
      {u"[a]x\r\n[b]y\r\n[bc]z\r\n", "labels that share a beginning"},
      {u"one\r\n\r\n\r\ntwo\r\n", "empty lines"},
      {u"a\nb\r\nc\nd\r\n", "lone LFs stay inside a line"},
      {u"a\rb\r\nc\r\r\n", "lone CRs (no loaded story has them)"},
      {u"x\r\ntail without break", "text after the last break"},
      {u"\r\n\r\n", "only breaks"},
      {u"go\r\ngood\r\ngo\r\n", "a target matching a longer line first"},
      {u"x\r\nab\r\na\r\nabc\r\na\r\nb\r\n", "the earliest of many lines a target begins"},
      {u"x\r\n[a]]y\r\n[a\r\n]b\r\n[[a]]\r\n[a]\r\n[]\r\n", "labels: odd brackets"},
      {u"x\r\n[a\rb]c\r\n[a\r\n[a\nb]\r\n", "labels with lone CR and LF inside"},
  };
  for (const auto& [text, reason] : texts) {
    const LineStartIndex index(text);
    const LineStartIndex fromLines(text, StoryLines(text));
    std::vector<std::u16string> targets = {u"", u"zzz", u"tail without break!", u"\r", u"\n"};
    for (size_t i = 0; i < text.size(); ++i) {
      for (size_t n = 1; n <= 8 && i + n <= text.size(); ++n) targets.push_back(text.substr(i, n));
    }
    for (const std::u16string& target : targets) {
      const int64_t searched = JumpSearch(text, target);
      EXPECT_EQ(index.FirstBreak(target), searched)
          << reason << ": target of " << target.size() << " units at " << text.find(target);
      EXPECT_EQ(index.Begins(target), searched > 0) << reason;
      EXPECT_EQ(fromLines.FirstBreak(target), searched) << reason << ", index from the lines";
    }
  }
}

TEST(LineStartIndex, LandingsByHand) {
  // "go\r\ngood\r\ngo\r\nx\ny\r\ntail": CRs at 3, 9, 13, 18.
  const std::u16string text = u"go\r\ngood\r\ngo\r\nx\ny\r\ntail";
  const LineStartIndex index(text);
  struct Row {
    const char16_t* target;
    int64_t firstBreak;
    int64_t wholeLine;
    const char* reason;
  };
  const std::vector<Row> rows = {
      {u"go", 3, 9, "the longer line first begins with it; the line that is just it comes later"},
      {u"good", 3, 3, "a whole line that also comes first"},
      {u"goo", 3, 0, "only the beginning of a line"},
      {u"", 3, 0, "the empty target finds the first line break"},
      {u"x", 13, 0, "a lone LF keeps x and y on one line"},
      {u"x\ny", 13, 13, "the line with its lone LF inside"},
      {u"y", 0, 0, "after a lone LF is no line start"},
      {u"tail", 18, 0, "text after the last break begins no whole line"},
      {u"gone", 0, 0, "nothing begins with it"},
      {u"[go]", 0, 0, "brackets are part of the name"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(index.FirstBreak(row.target), row.firstBreak) << row.reason;
    EXPECT_EQ(index.FirstBreak(row.target), JumpSearch(text, row.target)) << row.reason;
    EXPECT_EQ(index.FirstWholeLine(row.target), row.wholeLine) << row.reason;
  }
}

// Random stories over a small alphabet of markup, so that labels share
// beginnings, targets match longer lines, markers stand in every order and
// jumps miss. Each line is cut into a few pieces drawn from these.
std::u16string RandomStory(std::mt19937& random) {
  static const std::vector<std::u16string> Starts = {u"", u"", u" ", u"[a]", u"[b]", u"[ab]",
                                                     u"[a", u"a", u"ab", u"go", u"good", u"Apple"};
  static const std::vector<std::u16string> Targets = {
      u"[a]", u"[b]", u"[ab]", u"[a", u"a", u"go", u"", u"Apple", u" [a]", u"[zz]", u"[a],[b]",
      u"[b],", u",[a]", u"good", u"[b] "};
  static const std::vector<std::u16string> Commands = {u"AON", u"aoff", u"END", u"BONCOFF",
                                                       u"x",   u"EON DON", u"end"};
  const auto pick = [&](const std::vector<std::u16string>& from) {
    return from[random() % from.size()];
  };
  std::u16string text;
  const size_t lineCount = 1 + random() % 9;
  for (size_t i = 0; i < lineCount; ++i) {
    std::u16string line = pick(Starts);
    if (random() % 3 == 0) line += u"text";
    for (int part = static_cast<int>(random() % 3); part > 0; --part) {
      switch (random() % 9) {
        case 0: line += u">>" + pick(Targets); break;
        case 1: line += u">>" + std::u16string(1, char16_t(u'A' + random() % 6)) + pick(Targets); break;
        case 2: line += u"??" + pick(Targets) + u"," + pick(Targets); break;
        case 3: line += u"::" + pick(Commands); break;
        case 4: line += u"x>>y>>C" + pick(Targets); break;
        case 5: line += u"\n"; break;
        case 6: line += u"\r"; break;
        case 7: line += u"  "; break;
        default: line += pick(Targets);
      }
    }
    text += line + u"\r\n";
  }
  return text;
}

// The lines are cut, and their marks found, eight units at a time; here they
// must agree with the engine's own search for each line break and a plain
// look at every unit, on lines long enough for the wide steps and on the
// units those steps could miss between them.
TEST(StoryLines, CutAndMarkedAsTheEngineSearchFinds) {
  std::mt19937 random(7);
  static const std::vector<std::u16string> Filler = {u"", u"駅のホームに", u"\uFFFD", u"\r",
                                                     u"\n", u"\r\r\n", u"0123456789abcdef", u"?"};
  for (int story = 0; story < 400; ++story) {
    std::u16string text = RandomStory(random);
    for (int piece = static_cast<int>(random() % 6); piece > 0; --piece) {
      text.insert(random() % (text.size() + 1), Filler[random() % Filler.size()]);
    }
    // Every other story is cut in two halves on two threads, as a long one is.
    const StoryLines lines(text, story % 2 == 0 ? 0 : StoryLines::UnitsWorthAThread);
    size_t index = 0;
    long fileLine = 1;
    for (int64_t start = 1, end; (end = StoryFind(start, text, u"\r\n")) > 0; start = end + 2) {
      ASSERT_LT(index, lines.Lines().size()) << "story " << story;
      const StoryLines::Line& line = lines.Lines()[index];
      ASSERT_EQ(line.Start, start) << "story " << story << " line " << index;
      ASSERT_EQ(line.End, end) << "story " << story << " line " << index;
      uint8_t marks = 0;
      for (const char16_t unit : line.Text) {
        if (unit == u'?') marks |= StoryLines::Question;
        if (unit == u':') marks |= StoryLines::Colon;
        if (unit == u'>') marks |= StoryLines::Greater;
        if (unit == u'[') marks |= StoryLines::Bracket;
        if (unit == u'\n') marks |= StoryLines::LoneLineFeed;
        if (unit == u'\uFFFD') marks |= StoryLines::Replacement;
      }
      ASSERT_EQ(lines.Marks(index), marks) << "story " << story << " line " << index;
      ASSERT_EQ(lines.Plain(index), WithoutMarkers(line.Text)) << "story " << story;
      ASSERT_EQ(lines.FileLineAt(line.End), fileLine + std::count(line.Text.begin(), line.Text.end(), u'\n'))
          << "story " << story << " line " << index;
      fileLine += 1 + std::count(line.Text.begin(), line.Text.end(), u'\n');
      ++index;
    }
    ASSERT_EQ(index, lines.Lines().size()) << "story " << story;
  }
}

// The indexed probe must step exactly as the interpreter stepping on the
// whole story does: from every position (a choice lands mid-line), with the
// flags all off and all on, and for every choice item it leaves.
TEST(StoryProbe, IndexedStepsEqualTheEngineOnRandomStories) {
  std::mt19937 random(20261207);
  int jumpsCompared = 0;
  for (int story = 0; story < 400; ++story) {
    const std::u16string text = RandomStory(random);
    StoryProbe indexed(text);
    StoryProbe engine(text, StoryProbe::JumpSearch::Engine);
    for (int32_t pos = 0; pos <= static_cast<int32_t>(text.size()) + 1; ++pos) {
      for (const int16_t flags : {FlagOff, FlagOn}) {
        const StoryProbe::Step a = indexed.StepFrom(pos, flags);
        const StoryProbe::Step b = engine.StepFrom(pos, flags);
        ASSERT_EQ(a.Next, b.Next) << "story " << story << " from " << pos << " flags " << flags;
        ASSERT_EQ(a.ChoiceList, b.ChoiceList) << "story " << story << " from " << pos;
        ASSERT_EQ(a.Flags, b.Flags) << "story " << story << " from " << pos;
        // A plain step only ever moves on; a landing at or before the
        // start is a jump's.
        if (b.Next > 0 && b.Next <= pos) ++jumpsCompared;
        for (int key = 0; key < ChoiceKeys; ++key) {
          const std::u16string item = GetListItem(b.ChoiceList, key);
          const ChoiceLanding x = indexed.LandingOf(item);
          const ChoiceLanding y = engine.LandingOf(item);
          ASSERT_EQ(x.Found, y.Found) << "story " << story << " item " << key;
          ASSERT_EQ(x.Landing, y.Landing) << "story " << story << " item " << key;
        }
      }
    }
    const StoryLines lines(text);
    ASSERT_EQ(ReachedLines(indexed, lines), ReachedLines(engine, lines)) << "story " << story;
  }
  // The stories must exercise what they are for: jumps back that land.
  EXPECT_GT(jumpsCompared, 500);
}

// A long story is checked and mapped by two threads, each with its share of
// the work; what they find must be what one thread finds. Here the work is
// shared from the first line on, so that every random story takes that way.
TEST(CheckAndMap, TwoThreadsFindWhatOneFinds) {
  std::mt19937 random(2026);
  for (int story = 0; story < 300; ++story) {
    std::u16string text;
    for (int part = 0; part < 3; ++part) text += RandomStory(random);
    const StoryLines lines(text);
    const CheckFindings one = CheckStory(text, lines, SIZE_MAX);
    const CheckFindings two = CheckStory(text, lines, 1);
    ASSERT_EQ(one.size(), two.size()) << "story " << story;
    for (size_t i = 0; i < one.size(); ++i) {
      ASSERT_EQ(one[i].Pos, two[i].Pos) << "story " << story << " finding " << i;
      ASSERT_EQ(one[i].Code, two[i].Code) << "story " << story << " finding " << i;
      ASSERT_EQ(one[i].Message, two[i].Message) << "story " << story << " finding " << i;
      ASSERT_EQ(one[i].Length, two[i].Length) << "story " << story << " finding " << i;
    }
    ASSERT_EQ(StoryMapDot(BuildStoryMap(text, lines, SIZE_MAX)),
              StoryMapDot(BuildStoryMap(text, lines, 1)))
        << "story " << story;
  }
}

// Work shared between two threads: both parts run whether or not a thread is
// worth it, and a failure on either side comes out to the caller.
TEST(RunBeside, RunsBothPartsAndPassesOnFailures) {
  const struct {
    size_t lines;
    bool asideFails;
    bool hereFails;
    bool nested;  // the part aside runs two parts of its own
    const char* reason;
  } rows[] = {
      {10, false, false, false, "a short story: one after the other"},
      {LinesWorthAThread, false, false, false, "a long one: beside each other"},
      {LinesWorthAThread, true, false, false, "the second thread fails"},
      {LinesWorthAThread, false, true, false, "this thread fails while the other runs"},
      {LinesWorthAThread, false, false, false, "after a failure, both parts run again"},
      {10, true, false, false, "the part that would have run aside fails"},
      {LinesWorthAThread, false, false, true, "the thread beside is busy: a thread of its own"},
      {LinesWorthAThread, true, false, true, "and the nested part fails"},
  };
  for (const auto& row : rows) {
    bool asideRan = false;
    bool hereRan = false;
    const auto run = [&] {
      RunBeside(
          row.lines, LinesWorthAThread,
          [&] {
            if (row.nested) {
              bool innerRan = false;
              RunBeside(
                  LinesWorthAThread, LinesWorthAThread,
                  [&] {
                    if (row.asideFails) throw std::runtime_error("nested");
                  },
                  [&] { innerRan = true; });
              asideRan = innerRan;
              return;
            }
            asideRan = true;
            if (row.asideFails) throw std::runtime_error("aside");
          },
          [&] {
            hereRan = true;
            if (row.hereFails) throw std::runtime_error("here");
          });
    };
    if (row.asideFails || row.hereFails) {
      EXPECT_THROW(run(), std::runtime_error) << row.reason;
    } else {
      EXPECT_NO_THROW(run()) << row.reason;
      EXPECT_TRUE(asideRan) << row.reason;
    }
    EXPECT_TRUE(hereRan) << row.reason;
  }
}

// The targets the server offers definitions and references for are the ones
// the interpreter takes: from each line's start, a jump's step returns the
// landing of its target for the flag, and a choice leaves the items listed.
TEST(StoryTargets, AreWhatTheEngineTakesOnRandomStories) {
  std::mt19937 random(15);
  for (int story = 0; story < 300; ++story) {
    const std::u16string text = RandomStory(random);
    const StoryLines lines(text);
    const LineStartIndex starts(text);
    StoryProbe engine(text, StoryProbe::JumpSearch::Engine);
    const std::vector<StoryTarget> targets = ReadStoryTargets(lines, starts);
    for (size_t i = 0; i < lines.Lines().size(); ++i) {
      const auto pos = static_cast<int32_t>(lines.Lines()[i].Start);
      // A jump after END names a landing the engine never returns.
      const bool ends = ReadLineMarkup(lines.Lines()[i].Text).Ends;
      for (const int16_t flags : {FlagOff, FlagOn}) {
        const StoryProbe::Step step = engine.StepFrom(pos, flags);
        std::vector<std::u16string> items;
        for (const StoryTarget& t : targets) {
          if (t.Line != i) continue;
          ASSERT_TRUE(text.substr(static_cast<size_t>(t.Pos - 1), t.Name.size()) == t.Name);
          ASSERT_EQ(t.Landing.Break, StoryFind(1, text, u"\r\n" + std::u16string(t.Name)));
          const bool taken = t.Kind == TargetKind::Jump ||
                             (t.Kind == TargetKind::FlagOn) ==
                                 (step.Flags[static_cast<size_t>(std::max(t.Flag, 0))] == FlagOn);
          if (t.Kind == TargetKind::Choice) {
            items.emplace_back(t.Name);
          } else if (taken && !ends) {
            ASSERT_EQ(step.Next, t.Landing.Break) << "story " << story << " line " << i;
          }
        }
        std::vector<std::u16string> listed;
        for (int key = 0; key < ChoiceKeys; ++key) {
          if (const std::u16string item = GetListItem(step.ChoiceList, key); !item.empty()) {
            listed.push_back(item);
          }
        }
        ASSERT_EQ(items, listed) << "story " << story << " line " << i;
      }
    }
  }
}

TEST(StoryTargets, NamesKindsAndLandingLines) {
  const std::u16string text =
      u"Start??[a], [b],,[c]\r\n[a]A>>go\r\ngood\r\n[b]B>>C[c],[zz]\r\n[c]C::END>>[a]\r\n"
      u"[d]>>good::END\r\nx>>[b]??[a]\r\n";
  const StoryLines lines(text);
  const LineStartIndex starts(text);
  struct Row {
    TargetKind kind;
    const char16_t* name;
    size_t line;
    bool found;
    size_t landsOn;
    bool taken;
    const char* reason;
  };
  using K = TargetKind;
  const std::vector<Row> rows = {
      {K::Choice, u"[a]", 0, true, 1, true, "key 1"},
      {K::Choice, u" [b]", 0, false, 0, true, "key 2 keeps its space and finds nothing"},
      {K::Choice, u"[c]", 0, true, 4, true, "key 4: the empty third item is left out"},
      {K::Jump, u"go", 1, true, 2, true, "a target that begins a longer line lands there"},
      {K::FlagOn, u"[c]", 3, true, 4, true, "flag C on"},
      {K::FlagOff, u"[zz]", 3, false, 0, true, "flag C off, missing; the jump inside the command is none"},
      {K::Jump, u"good", 5, true, 2, false, "a jump before END still names its landing"},
      {K::Jump, u"[b]", 6, true, 3, false, "a jump with a choice pending, in the order of the text"},
      {K::Choice, u"[a]", 6, true, 1, true, "the choice after the jump"},
  };
  const std::vector<StoryTarget> targets = ReadStoryTargets(lines, starts);
  ASSERT_EQ(targets.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    const StoryTarget& t = targets[i];
    EXPECT_EQ(t.Kind, row.kind) << row.reason;
    EXPECT_TRUE(t.Name == row.name) << row.reason;
    EXPECT_EQ(t.Line, row.line) << row.reason;
    EXPECT_EQ(t.Landing.Found(), row.found) << row.reason;
    EXPECT_EQ(t.Taken, row.taken) << row.reason;
    if (row.found) {
      EXPECT_EQ(t.Landing.Line, row.landsOn) << row.reason;
    }
  }
  EXPECT_EQ(targets[1].Key, 2);
  EXPECT_EQ(targets[2].Key, 4);
  EXPECT_EQ(targets[4].Flag, 2);
  EXPECT_EQ(LandingOfTarget(starts, lines, u"").Line, 1u) << "the empty target: the second line";
}

}  // namespace
