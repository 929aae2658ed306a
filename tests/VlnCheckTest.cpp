#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tests/StoryTestSupport.h"
#include "tests/VlnFakeFiles.h"
#include "tools/vln/check/CheckCommand.h"
#include "tools/vln/check/CheckStory.h"
#include "tools/vln/reading/LineMarkup.h"
#include "story/mdlFunction.h"
#include "tools/vln/reading/StoryLines.h"

namespace {

struct Expected {
  long line;
  const char* level;   // "error" or "warning"
  const char* words;   // part of the message that names what is wrong
};

struct CheckRow {
  const char* reason;
  std::vector<std::u16string> story;
  std::vector<Expected> findings;
};

void ExpectFindings(const CheckRow& row) {
  const std::u16string text = StoryOf(row.story);
  const StoryLines lines(text);
  const CheckFindings found = CheckStory(text, lines);
  std::string all;
  for (const auto& f : found) {
    all += std::to_string(lines.FileLineAt(f.Pos)) + ": " + f.Message + "\n";
  }
  ASSERT_EQ(found.size(), row.findings.size()) << row.reason << "\n" << all;
  for (size_t i = 0; i < found.size(); ++i) {
    const Expected& e = row.findings[i];
    EXPECT_EQ(lines.FileLineAt(found[i].Pos), e.line) << row.reason << "\n" << all;
    EXPECT_EQ(found[i].Level == CheckFinding::Severity::Error ? "error" : "warning",
              std::string(e.level))
        << row.reason << "\n" << all;
    EXPECT_NE(found[i].Message.find(e.words), std::string::npos)
        << row.reason << ": wanted [" << e.words << "] in\n" << all;
  }
}

const std::vector<std::u16string> WorkedExample = {
    u"[start]Morning. The alarm rings.",  u"Get up or sleep on??[up],[sleep]",
    u"[up]You get up.::AON",              u"You leave the house.>>[road]",
    u"[sleep]You sleep on.::AOFF",        u"[road]On the road.>>A[bus],[late]",
    u"[bus]You catch the bus.::END",      u"[late]You miss the bus.::END",
};

TEST(VlnCheck, MistakesInJumps) {
  const std::vector<CheckRow> rows = {
      {"a clean story", WorkedExample, {}},
      {"missing target; nothing else reaches the rest",
       {u"Hi>>[road]", u"[rood]x"},
       {{1, "error", "jump target \"[road]\" does not begin any line"},
        {2, "warning", "no reading from the first line reaches \"[rood]x\""}}},
      {"the first line is never a target",
       {u"[start]Hi", u"Again>>[start]"},
       {{2, "error", "\"[start]\" does not begin any line (the first line can never be a target)"}}},
      {"a plain target beginning with A is read as conditional",
       {u"Go>>Apple", u"Apple pie::END"},
       {{1, "error", "jump target \"Apple\" begins with \"A\""}}},
      {"a comma does not make it a conditional when the whole target is a label",
       {u"Go>>Bridge,Tunnel", u"Bridge,Tunnel::END"},
       {{1, "error", "jump target \"Bridge,Tunnel\" begins with \"B\""},
        {2, "warning", "reaches \"Bridge,Tunnel::END\""}}},
      {"one name: flag off lands on the first line break",
       {u"Start", u"Go>>A[p]", u"[p]P::END"},
       {{2, "error", "conditional jump \"[p]\" has only one name: with flag A off"}}},
      {"no name for the flag-on branch",
       {u"Go>>A,[x]", u"[x]X::END"},
       {{1, "error", "has no name for flag A on"}}},
      {"the flag-off target is missing",
       {u"Go>>B[y],[n]", u"[y]Y::END"},
       {{1, "error", "jump target \"[n]\" (flag B off) does not begin any line"}}},
      {"names after the second are ignored",
       {u"Go>>A[y],[n],[m]", u"[y]Y::END", u"[n]N::END"},
       {{1, "warning", "\"[m]\" after the second is ignored"}}},
      {"a target also matches a longer line that comes first",
       {u"Go>>go", u"good morning::END", u"go", u"Went::END"},
       {{1, "warning", "jump target \"go\" first begins line 2, \"good morning::END\", not line 3"},
        {3, "warning", "reaches \"go\" (nor anything up to line 4)"}}},
      {"an empty target goes back to the first line break",
       {u"Start", u"Loop>>", u"Never"},
       {{2, "error", "jump \">>\" names no target"},
        {3, "warning", "reaches \"Never\""}}},
      {"a jump after :: is part of the command",
       {u"Hi::AON>>[x]", u"[x]X::END"},
       {{1, "warning", "jump \">>[x]\" after \"::\""}}},
      {"END stops before the jump",
       {u"Go>>[x]::END", u"[x]X"},
       {{1, "warning", "jump \">>[x]\" is never taken"}, {2, "warning", "reaches \"[x]X\""}}},
  };
  for (const CheckRow& row : rows) ExpectFindings(row);
}

TEST(VlnCheck, MistakesInChoicesCommandsAndLabels) {
  const std::vector<CheckRow> rows = {
      {"no key can answer",
       {u"Pick??,,", u"After"},
       {{1, "error", "no key can answer the choice \",,\""}, {2, "warning", "reaches \"After\""}}},
      {"items are not trimmed",
       {u"Pick??[a], [b]", u"[a]A::END", u"[b]B::END"},
       {{1, "error", "choice target \" [b]\" does not begin any line (the space in front"},
        {3, "warning", "reaches \"[b]B::END\""}}},
      {"an empty item and a sixth item",
       {u"Pick??[a],,[a],[a],[a],[f]", u"[a]A::END", u"[f]F::END"},
       {{1, "warning", "choice item 2 of"},
        {1, "warning", "choice item 6 \"[f]\" cannot be chosen"},
        {3, "warning", "reaches \"[f]F::END\""}}},
      {"an empty choice list offers nothing",
       {u"Pick??", u"Next::END"},
       {{1, "warning", "\"??\" is followed by no choice list"}}},
      {":: after ?? belongs to the list",
       {u"Pick??[a],[b]::END", u"[a]A::END", u"[b]::END"},
       {{1, "warning", "\"::\" after \"??\" is part of the choice list \"[a],[b]::END\""}}},
      {">> after ?? belongs to the list",
       {u"Pick??[a]>>[b],[c]", u"[c]C::END"},
       {{1, "warning", "\">>\" after \"??\" is part of the choice list"},
        {1, "error", "choice target \"[a]>>[b]\" does not begin any line"}}},
      {"a label alone on its line is reached by its choice",
       {u"Pick??[a]", u"[a]", u"After::END"},
       {}},
      {"a command with no keyword",
       {u"Hi::HELLO", u"Bye::END"},
       {{1, "warning", "command \"HELLO\" has no known keyword"}}},
      {"a label defined twice",
       {u"Go>>[a]", u"[a]One::END", u"[a]Two::END"},
       {{3, "warning", "label \"[a]\" is defined again (first on line 2)"},
        {3, "warning", "reaches \"[a]Two::END\""}}},
      {"an indented label is never found",
       {u"Go>>[a]", u" [a]A::END"},
       {{1, "error", "\"[a]\" does not begin any line"},
        {2, "warning", "label \"[a]\" is indented"},
        {2, "warning", "reaches \"[a]A::END\""}}},
      {"a bracket that never closes",
       {u"[broken", u"x"},
       {{1, "warning", "no \"]\" ends the label"}}},
  };
  for (const CheckRow& row : rows) ExpectFindings(row);
}

TEST(VlnCheck, ReachabilityFollowsTheReader) {
  const std::vector<CheckRow> rows = {
      {"a run of unreached lines is one warning; blank lines do not split it",
       {u"Go>>[b]", u"Skipped", u"", u"Also skipped", u"[b]B::END"},
       {{2, "warning", "reaches \"Skipped\" (nor anything up to line 4)"}}},
      {"the empty step after a jump does not show the line before the target",
       {u"Go>>[b]", u"Skipped", u"[b]B::END"},
       {{2, "warning", "reaches \"Skipped\""}}},
      {"both branches of a conditional jump", {u"Go>>C[y],[n]", u"[y]Y::END", u"[n]N::END"}, {}},
      {"a command on the line runs before its condition is tested",
       {u"Go>>A[y],[n]::AON", u"[y]Y::END", u"[n]N::END"},
       {{3, "warning", "reaches \"[n]N::END\""}}},
      {"END stops", {u"Bye::END", u"Never"}, {{2, "warning", "reaches \"Never\""}}},
      {"a choice lands after its label at the start of a line",
       {u"Pick??[a]", u"x[a]y", u"[a]Shown::END"},
       {{2, "warning", "reaches \"x[a]y\""}}},
      {"a choice target that stops inside a label shows the rest of it",
       {u"Pick??[a", u"[ab]Shown::END"},
       {{1, "warning", "choice target \"[a\" is only the start of the label \"[ab]\" on line 2"}}},
      {"a choice after END is still answered",
       {u"Bye::END??[a],[b]", u"[a]A::END", u"[b]B::END"},
       {}},
      {"Down does nothing while a choice is pending",
       {u"Pick??[b]", u"Not next", u"[b]B::END"},
       {{2, "warning", "reaches \"Not next\""}}},
  };
  for (const CheckRow& row : rows) ExpectFindings(row);
}

TEST(VlnCheck, LineLengthsAndLoneLineFeeds) {
  const std::vector<CheckRow> rows = {
      {"bytes the decoder could not read", {u"caf\uFFFD::END"}, {{1, "warning", "could not be decoded"}}},
      {"32,766 characters are fine", {std::u16string(32766, u'x')}, {}},
      {"32,767 are not", {std::u16string(32767, u'x')}, {{1, "warning", "32767 characters long"}}},
      // The reader keeps the LF inside its line, an editor counts a new line.
      {"line numbers count lone LFs as an editor does",
       {u"a\nb", u"c>>[x]"},
       {{1, "warning", "lone LF"}, {3, "error", "\"[x]\" does not begin any line"}}},
  };
  for (const CheckRow& row : rows) ExpectFindings(row);
}

struct CheckRun {
  int status;
  std::string out;
  std::string err;
};

CheckRun RunOn(const std::vector<std::string>& args) {
  VlnFakeFiles files;
  files.files["clean.vln"] = WorkedExample;
  files.files["broken.vln"] = {u"Hi>>[road]", u"[road]x"};
  files.files["broken2.vln"] = {u"Hi", u"Go>>[nowhere]"};
  files.files["empty.vln"] = {};
  files.files["partial.vln"] = WorkedExample;
  files.failAfter["partial.vln"] = 3;
  std::ostringstream out, err;
  const int status = RunCheck(args, out, err, files);
  return {status, out.str(), err.str()};
}

TEST(VlnCheck, ExitStatusAndOutputForm) {
  const std::vector<std::tuple<std::vector<std::string>, int, const char*, const char*>> rows = {
      {{"clean.vln"}, 0, "", "a clean story prints nothing"},
      {{"broken2.vln"}, 1,
       "broken2.vln:2: error: jump target \"[nowhere]\" does not begin any line: the story stops "
       "here\n",
       "compiler form"},
      {{"clean.vln", "broken2.vln"}, 1,
       "broken2.vln:2: error: jump target \"[nowhere]\" does not begin any line: the story stops "
       "here\n",
       "only the broken file speaks"},
      {{"empty.vln"}, 1,
       "empty.vln:1: error: the story is empty: the reader shows \"ファイルが開けません\"\n",
       "the reader cannot open an empty story"},
      {{"missing.vln", "broken2.vln"}, 2,
       "broken2.vln:2: error: jump target \"[nowhere]\" does not begin any line: the story stops "
       "here\n",
       "an unreadable file wins, the others are still checked"},
      {{"partial.vln"}, 2, "", "a read error midway is no story to check"},
      {{}, 2, "", "no story"},
      {{"-x"}, 2, "", "unknown option"},
  };
  for (const auto& [args, status, out, reason] : rows) {
    const CheckRun run = RunOn(args);
    EXPECT_EQ(run.status, status) << reason;
    EXPECT_EQ(run.out, out) << reason;
  }
  EXPECT_NE(RunOn({"missing.vln"}).err.find("missing.vln"), std::string::npos);
}

TEST(StoryLines, EditorLineNumbers) {
  const std::u16string text = u"one\r\ntwo\nthree\r\n\r\nfive\r\n";
  const StoryLines lines(text);
  ASSERT_EQ(lines.Lines().size(), 4u);
  EXPECT_EQ(lines.Lines()[1].Text, u"two\nthree");
  const std::vector<std::pair<int64_t, long>> rows = {
      {1, 1}, {4, 1}, {5, 1}, {6, 2}, {9, 2}, {10, 3}, {15, 3}, {17, 4}, {19, 5}, {22, 5}};
  for (const auto& [pos, line] : rows) {
    EXPECT_EQ(lines.FileLineAt(pos), line) << "position " << pos;
  }
}

}  // namespace

namespace {

// What an editor underlines: the code of each finding and the text its range
// covers, and where its related places point.
struct RangeRow {
  const char* reason;
  std::vector<std::u16string> story;
  const char* code;
  std::u16string covered;                // the text of [Pos, Pos + Length)
  std::vector<std::u16string> related;   // the text each related place covers
};

TEST(VlnCheck, EachKindCoversWhatIsWrongWithItsCode) {
  const std::u16string longLine(32767, u'x');
  const std::vector<RangeRow> rows = {
      {"too long: the whole line", {longLine}, "line-too-long", longLine, {}},
      {"lone LF: the LF", {u"a\nb"}, "lone-line-feed", u"\n", {}},
      {"undecodable: the replacement character", {u"ab\uFFFDc::END"}, "undecodable-bytes", u"\uFFFD", {}},
      {"unclosed label: its bracket", {u"  [broken", u"x"}, "unclosed-label", u"[", {}},
      {"empty choice list: the marker", {u"Pick??", u"Next::END"}, "empty-choice-list", u"??", {}},
      {"\"::\" inside a choice list", {u"Pick??[a]::END", u"[a]A::END"}, "command-in-choice-list", u"::", {}},
      {"\">>\" inside a choice list", {u"Pick??[a],[c]>>x", u"[a]A::END", u"[c]>>xC::END"},
       "jump-in-choice-list", u">>", {}},
      {"no key answers: marker and list", {u"Pick??,,", u"After"}, "choice-unanswerable", u"??,,", {}},
      {"empty item: an empty range where it stands", {u"Pick??[a],,[a]", u"[a]A::END"},
       "choice-item-empty", u"", {}},
      {"missing choice target: the item", {u"Pick??[a],[zz]", u"[a]A::END"},
       "choice-target-missing", u"[zz]", {}},
      {"space in front of an item: the item with its space", {u"Pick??[a], [a]", u"[a]A::END"},
       "choice-target-leading-space", u" [a]", {}},
      {"the first line as a choice target", {u"[s]Pick??[s]", u"x::END"},
       "choice-target-first-line", u"[s]", {}},
      {"a sixth item and after", {u"P??[a],[a],[a],[a],[a],[f],[g]", u"[a]A::END", u"[f]F::END"},
       "choice-item-beyond-five", u"[f],[g]", {}},
      {"a choice target cut inside a label", {u"Pick??[a", u"[ab]Shown::END"},
       "choice-target-cut-label", u"[a", {u"[ab]"}},
      {"a jump after \"::\": the jump", {u"Hi::AON>>[x]", u"[x]X::END"}, "jump-in-command", u">>[x]", {}},
      {"a command with no keyword: the command", {u"Hi::HELLO", u"Bye::END"},
       "command-without-keyword", u"HELLO", {}},
      {"an empty command: its marker", {u"Hi::", u"Bye::END"}, "command-without-keyword", u"::", {}},
      {"a letter past E, a cut OFF: no keyword", {u"Hi::FON EOF", u"Bye::end"},
       "command-without-keyword", u"FON EOF", {}},
      {"a jump after END: the jump", {u"Go>>[x]::END", u"[x]X::END"}, "jump-after-end", u">>[x]", {}},
      {"a jump with no target: the marker", {u"Start", u"Loop>>"}, "jump-without-target", u">>", {}},
      {"a missing jump target: its name", {u"Hi>>[road]", u"[rood]x::END"}, "jump-target-missing", u"[road]", {}},
      {"the first line as a jump target", {u"[start]Hi", u"Again>>[start]"},
       "jump-target-first-line", u"[start]", {}},
      {"a conditional name with a space in front", {u"Go>>A[y], [n]", u"[y]Y::END", u"[n]N::END"},
       "jump-target-leading-space", u" [n]", {}},
      {"a plain jump read as conditional: the target", {u"Go>>Apple", u"Apple pie::END"},
       "plain-jump-read-as-conditional", u"Apple", {}},
      {"a conditional marker after the first \">>\"", {u"a>>b>>C[y],[n]", u"[y]::END", u"[n]::END"},
       "conditional-marker-not-first", u">>C", {u">>"}},
      {"one name: the names", {u"Start", u"Go>>A[p]", u"[p]P::END"}, "conditional-jump-one-name", u"[p]", {}},
      {"no flag-on name: an empty range where it would be", {u"Go>>A,[x]", u"[x]X::END"},
       "conditional-jump-empty-name", u"", {}},
      {"names after the second", {u"Go>>A[y],[n],[m],[k]", u"[y]Y::END", u"[n]N::END"},
       "conditional-jump-extra-names", u"[m],[k]", {}},
      {"a target matching a longer line first", {u"Go>>go", u"good morning::END", u"go", u"Went::END"},
       "target-begins-longer-line", u"go", {u"good morning::END", u"go"}},
      {"a label defined again: the label, the first one related", {u"Go>>[a]", u"[a]One::END", u"[a]Two::END"},
       "label-defined-again", u"[a]", {u"[a]"}},
      {"an indented label: the label", {u"Go>>[b]", u"  [a]A::END", u"[b]::END"}, "label-indented", u"[a]", {}},
      {"unreached lines: from the first to the end of the last",
       {u"Go>>[b]", u"Skipped", u"", u"Also", u"[b]B::END"}, "unreached-lines", u"Skipped\r\n\r\nAlso", {}},
      {"an empty story", {}, "empty-story", u"", {}},
  };
  for (const RangeRow& row : rows) {
    const std::u16string text = StoryOf(row.story);
    const StoryLines lines(text);
    const CheckFindings found = CheckStory(text, lines);
    const auto finding = std::find_if(found.begin(), found.end(),
                                      [&](const CheckFinding& f) { return f.Code == row.code; });
    std::string codes;
    for (const CheckFinding& f : found) codes += f.Code + " ";
    ASSERT_NE(finding, found.end()) << row.reason << ": wanted " << row.code << " among " << codes;
    const auto cover = [&](int64_t pos, int64_t length) {
      return pos >= 1 && pos - 1 + length <= static_cast<int64_t>(text.size())
                 ? text.substr(static_cast<size_t>(pos - 1), static_cast<size_t>(length))
                 : u"(out of the text)";
    };
    EXPECT_TRUE(cover(finding->Pos, finding->Length) == row.covered) << row.reason;
    ASSERT_EQ(finding->Related.size(), row.related.size()) << row.reason;
    for (size_t i = 0; i < row.related.size(); ++i) {
      EXPECT_TRUE(cover(finding->Related[i].Pos, finding->Related[i].Length) == row.related[i])
          << row.reason << ": related place " << i;
      EXPECT_FALSE(finding->Related[i].Message.empty()) << row.reason;
    }
  }
}

// Every finding of every kind has a code, a range inside the text, and no
// two kinds of message share a code.
TEST(VlnCheck, CodesAreKebabCaseAndRangesStayInTheText) {
  const std::vector<std::vector<std::u16string>> stories = {
      {u"[start]A story with mistakes.", u"Which door??[red], [blue],,[green],[red],[gold]",
       u"[red]The red door.>>[hall]", u"[green]The green door.>>Bedroom",
       u"[hall]A hall.>>C[cellar]", u"[cellar]A cellar.::LIGHT", u"Stairs go down.::END>>[start]",
       u"[red]Another red door.", u"Nobody reads this.", u"Stuck here??,"},
      {u"a\nb>>x\n", u" [i]\uFFFD", u"[u", u"??", u"x>>y>>D[a],[b],[c]"},
  };
  for (const auto& story : stories) {
    const std::u16string text = StoryOf(story);
    const StoryLines lines(text);
    for (const CheckFinding& f : CheckStory(text, lines)) {
      EXPECT_FALSE(f.Code.empty()) << f.Message;
      EXPECT_TRUE(std::all_of(f.Code.begin(), f.Code.end(),
                              [](char c) { return (c >= 'a' && c <= 'z') || c == '-'; }))
          << f.Code;
      EXPECT_GE(f.Pos, 1) << f.Code;
      EXPECT_LE(f.Pos - 1 + f.Length, static_cast<int64_t>(text.size())) << f.Code;
    }
  }
}

TEST(VlnCheck, ListItemViewPicksAsGetListItem) {
  for (const std::u16string list : {u"", u"A", u"A,B,C", u"A, B", u"A,,B", u"A,", u",", u",,,,,,x"}) {
    const auto items = FirstListItems<8>(list);
    for (int i = 0; i < 8; ++i) {
      EXPECT_TRUE(ListItemView(list, i) == GetListItem(list, i)) << i;
      // Not only the same text: the same place in the list.
      EXPECT_EQ(items[static_cast<size_t>(i)].data(), ListItemView(list, i).data()) << i;
      EXPECT_EQ(items[static_cast<size_t>(i)].size(), ListItemView(list, i).size()) << i;
    }
  }
}

}  // namespace
