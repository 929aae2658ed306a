// An edit inside a line's plain or shown text is followed by the analysis without
// making it again; whatever it takes must be what a new analysis of the
// edited text finds.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tools/vln/lsp/LspJson.h"
#include "tools/vln/lsp/StoryAnalysis.h"
#include "tools/vln/lsp/StoryNavigation.h"
#include "tools/vln/map/StoryMap.h"

namespace {

// What a request can see of an analysis, as text to compare.
std::vector<std::string> Seen(StoryAnalysis& analysis, size_t editorSize) {
  std::vector<std::string> seen;
  seen.push_back(std::string(analysis.Text().begin(), analysis.Text().end()));
  for (const CheckFinding& f : analysis.Findings()) {
    std::string line = std::to_string(f.Pos) + "+" + std::to_string(f.Length) + " " + f.Code + " " + f.Message;
    for (const CheckFinding::Place& p : f.Related) line += " @" + std::to_string(p.Pos) + "+" + std::to_string(p.Length);
    seen.push_back(line);
  }
  const auto& lines = analysis.Lines().Lines();
  for (size_t i = 0; i < lines.size(); ++i) {
    seen.push_back(std::to_string(lines[i].Start) + "-" + std::to_string(lines[i].End) + " line " +
                   std::to_string(analysis.Lines().FileLineAt(lines[i].End)) +
                   (analysis.Reached()[i] ? " reached" : ""));
  }
  for (const StoryMap::Passage& p : analysis.Map().Passages) {
    seen.push_back("passage " + std::to_string(p.FirstLine) + "-" + std::to_string(p.LastLine) + " " +
                   Utf8Of(p.Label) + " " + Utf8Of(p.FirstText) + (p.Reached ? " reached" : ""));
  }
  for (const StoryMap::Edge& e : analysis.Map().Edges) {
    seen.push_back("edge " + std::to_string(e.From) + ">" + std::to_string(e.To) + " " + Utf8Of(e.Item));
  }
  for (const LabelWays& ways : analysis.WaysIntoLabels()) {
    seen.push_back("ways " + std::to_string(ways.Line) + " " + std::to_string(ways.Count));
  }
  std::string places;
  for (size_t offset = 0; offset <= editorSize; ++offset) {
    const int64_t pos = analysis.Story().StoryPos(offset);
    places += std::to_string(pos) + ":" + std::to_string(analysis.Story().EditorOffset(pos)) + ":" +
              std::to_string(analysis.Lines().LineIndexAt(pos)) + " ";
  }
  seen.push_back(places);
  return seen;
}

TEST(PlainLineEdit, TakenOnlyWhereNothingElseChanges) {
  struct Row {
    const char* reason;
    std::u16string text;
    size_t from;
    size_t removed;
    std::u16string inserted;
    bool taken;
  };
  const std::u16string story = u"[s]Start.\r\nPlain words.\r\nGo??[a],[b]\r\n[a]A.::END\r\nLost line.\r\n[b]B.::END\r\n";
  const std::vector<Row> rows = {
      {"a letter typed into plain text", story, 14, 0, u"x", true},
      {"a letter taken out", story, 14, 1, u"", true},
      {"text at the end of a line", story, 23, 0, u" more", true},
      {"the first line, where the reading starts", story, 5, 0, u"x", false},
      {"markup typed into plain text", story, 14, 0, u">>[b]", false},
      {"a line break typed", story, 14, 0, u"\r\n", false},
      {"a label begun at the front", story, 11, 0, u"[", false},
      {"a letter typed into a choice's prompt", story, 27, 0, u"x", true},
      {"a letter typed into a labelled line's caption", story, 42, 0, u"x", true},
      {"a letter typed into a choice's list", story, 30, 0, u"x", false},
      {"a letter typed into a label", story, 39, 0, u"x", false},
      {"a space typed into a prompt", story, 26, 0, u" ", false},
      {"a caption emptied", story, 41, 2, u"", false},
      {"a line a longer loose target would begin", u"[s]Go??Goal\r\nGo>>[s]\r\n", 15, 0, u"al", false},
      {"a line a longer loose target stops beginning", u"[s]Go??Goal\r\nGoal>>[s]\r\n", 15, 2, u"", false},
      {"the line a finding quotes", story, 52, 0, u"x", false},
      {"a plain line emptied", story, 11, 12, u"", false},
      {"across a line break", story, 20, 6, u"", false},
      {"a line a loose target lands on", u"[s]>>Plain\r\nPlain words.\r\n", 17, 0, u"x", false},
      {"a line that could begin a loose target", u"[s]>>Plain\r\nPla words.\r\n", 15, 0, u"in", false},
      {"a line a plain target with a comma would begin", u"[s]>>,b\r\n,x\r\n", 10, 0, u"b", false},
      {"a line a target read after a key's miss lands on",
       u"[s]Start.\r\nab\nx??[b]??Lost line.\r\nLost line.\r\n", 39, 1, u",", false},
      {"a lone CR's line", u"[s]Start.\rPlain words.\r\n::END", 14, 0, u"x", true},
  };
  for (const Row& row : rows) {
    StoryAnalysis analysis(row.text);
    analysis.Findings();
    analysis.Reached();
    analysis.Map();
    analysis.WaysIntoLabels();
    std::u16string edited = row.text;
    edited.replace(row.from, row.removed, row.inserted);
    const std::vector<std::string> before = Seen(analysis, row.text.size());
    ASSERT_EQ(analysis.TakeEditInLine(row.from, row.removed, row.inserted), row.taken) << row.reason;
    StoryAnalysis afresh(edited);
    if (row.taken) {
      EXPECT_EQ(Seen(analysis, edited.size()), Seen(afresh, edited.size())) << row.reason;
    } else {
      EXPECT_EQ(Seen(analysis, row.text.size()), before) << row.reason << ": refused, yet changed";
    }
  }
}

// Random edits of random stories: each one taken must leave what a new
// analysis finds, and plain text and the text lines with markup show must
// be taken often enough to matter.
TEST(PlainLineEdit, EveryEditTakenMatchesANewAnalysis) {
  std::mt19937 random(23);
  const std::vector<std::u16string> pieces = {u"[a]", u"[b]", u"a", u"b", u"駅", u" ", u"\u3000", u"??",  u"::END",
                                              u">>", u">>A", u",",  u"\r\n", u"\r", u"\n", u"x", u"Go", u"\uFFFD",
                                              u"Plain words on a line.\r\n", u"Lost line.\r\n", u"Go>>[a]\r\n", u"[a]Go??[a],[b],Go\r\n",
                                              u"[b]Text>>A[a],[b]\r\n", u"Say a::END\r\n"};
  const std::u16string typed = u"ab駅 x,[?:>\r\n\t\uFFFD";
  int taken = 0;
  int takenWithMarkup = 0;
  for (int document = 0; document < 1000; ++document) {
    std::u16string text = u"[s]Start.\r\n";
    for (size_t n = random() % 30; n > 0; --n) text += pieces[random() % pieces.size()];
    auto analysis = std::make_unique<StoryAnalysis>(text);
    for (int edit = 0; edit < 20; ++edit) {
      analysis->Findings();
      if (edit % 2 == 0) analysis->Reached();
      if (edit % 3 == 0) analysis->Map();
      if (edit % 4 == 0) analysis->WaysIntoLabels();
      const size_t from = random() % (text.size() + 1);
      const size_t removed = random() % std::min<size_t>(text.size() - from + 1, 3);
      const std::u16string inserted(random() % 2 + (removed == 0 ? 1 : 0), typed[random() % typed.size()]);
      const size_t lineFrom = text.find_last_of(u"\r\n", from == 0 ? 0 : from - 1);
      const std::u16string_view line = std::u16string_view(text).substr(
          lineFrom == std::u16string::npos || from == 0 ? 0 : lineFrom + 1, 40);
      const bool withMarkup = line.substr(0, line.find_first_of(u"\r\n")).find_first_of(u"?:>") != line.npos;
      const bool took = analysis->TakeEditInLine(from, removed, inserted);
      text.replace(from, removed, inserted);
      // As the server does with an edit refused: a new analysis.
      if (!took) {
        analysis = std::make_unique<StoryAnalysis>(text);
        continue;
      }
      ++taken;
      takenWithMarkup += withMarkup ? 1 : 0;
      StoryAnalysis afresh(text);
      ASSERT_EQ(Seen(*analysis, text.size()), Seen(afresh, text.size())) << "document " << document << " edit " << edit;
    }
  }
  EXPECT_GT(taken, 100);
  EXPECT_GT(takenWithMarkup, 30);
}

}  // namespace
