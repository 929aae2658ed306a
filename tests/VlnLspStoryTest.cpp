// The language server's answers about a story, without the protocol: where
// the editor's text and the reader's meet, where targets land, what leads to
// a line, what a rename would change, and the mends it offers.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "story/StoryStrings.h"
#include "tests/StoryTestSupport.h"
#include "tools/vln/lsp/EditorLines.h"
#include "tools/vln/lsp/EditorStory.h"
#include "tools/vln/lsp/SavedStory.h"
#include "tools/vln/lsp/StoryAnalysis.h"
#include "tools/vln/lsp/StoryCompletion.h"
#include "tools/vln/lsp/StoryFixes.h"
#include "tools/vln/lsp/StoryHover.h"
#include "tools/vln/lsp/StoryNavigation.h"
#include "tools/vln/lsp/StoryRename.h"
#include "tools/vln/lsp/StoryTokens.h"
#include "tools/vln/reading/ReadableText.h"
#include "tools/vln/reading/Utf8.h"

namespace {

// A story with a cursor: "|" marks the place and is taken out.
struct Cursor {
  std::u16string Text;
  int64_t Pos = 1;
};

Cursor WithCursor(std::u16string text) {
  const size_t at = text.find(u'|');
  text.erase(at, 1);
  return {text, static_cast<int64_t>(at) + 1};
}

// The editor's line (1-based) and text of the story line that holds `pos`.
std::u16string LineTextAt(StoryAnalysis& analysis, int64_t pos) {
  return std::u16string(analysis.Lines().Lines()[analysis.Lines().LineIndexAt(pos)].Text);
}

TEST(EditorStory, BuildsTheReadersTextAndMapsEveryOffsetBack) {
  struct Row {
    const char* reason;
    std::u16string editor;
    std::u16string story;
    SavedLineFeed lineFeeds = SavedLineFeed::AsItIs;
  };
  const std::vector<Row> rows = {
      {"CR LF stays", u"a\r\nb\r\n", u"a\r\nb\r\n"},
      {"a lone CR grows into CR LF", u"a\rb\r", u"a\r\nb\r\n"},
      {"a lone LF stays inside its line", u"a\nb\r\nc", u"a\nb\r\nc\r\n"},
      {"the last line gets its break", u"a\r\nb", u"a\r\nb\r\n"},
      {"an empty last line is a line", u"a\r\n\r\n", u"a\r\n\r\n"},
      {"a lone LF at the end stays in the line", u"a\n", u"a\n\r\n"},
      {"mixed breaks", u"\r\r\n\n\r", u"\r\n\r\n\n\r\n"},
      {"CR CR LF is two breaks", u"a\r\r\nb", u"a\r\n\r\nb\r\n"},
      {"LF CR: the LF stays, the CR breaks", u"a\n\rb", u"a\n\r\nb\r\n"},
      {"a mark the editor holds is text", u"\uFEFFa\r\n", u"\uFEFFa\r\n"},
      {"surrogate pairs are two units", u"\U0001F600>>[x]\r[x]", u"\U0001F600>>[x]\r\n[x]\r\n"},
      {"an empty document is no story", u"", u""},
      {"an editor that writes LF as CR LF: each LF is a break", u"a\nb\n\nc", u"a\r\nb\r\n\r\nc\r\n",
       SavedLineFeed::AsBreak},
      {"an editor that writes LF as CR LF: CR LF and a lone CR stay one break each", u"a\r\nb\rc\n",
       u"a\r\nb\r\nc\r\n", SavedLineFeed::AsBreak},
  };
  for (const Row& row : rows) {
    const EditorStory story(row.editor, row.lineFeeds);
    EXPECT_EQ(story.Text(), row.story) << row.reason;
    // Every character the editor holds is the same character in the story.
    for (size_t offset = 0; offset < row.editor.size(); ++offset) {
      const int64_t pos = story.StoryPos(offset);
      EXPECT_EQ(story.EditorOffset(pos), offset) << row.reason << " at " << offset;
      const bool lineFeedBreak = row.editor[offset] == u'\n' && row.lineFeeds == SavedLineFeed::AsBreak;
      if (row.editor[offset] != u'\r' && !lineFeedBreak) {
        EXPECT_EQ(story.Text()[static_cast<size_t>(pos - 1)], row.editor[offset]) << row.reason << " at " << offset;
      }
    }
    // The story's end is the document's end.
    EXPECT_EQ(story.EditorOffset(static_cast<int64_t>(story.Text().size()) + 1), row.editor.size()) << row.reason;
  }
}

// Breaks are where an edit can go wrong: it may join a CR to an LF, part
// them, or take a break out. Every edit is checked against the lines read
// afresh from the same text.
TEST(EditorLines, FollowEveryEditAsIfReadAfresh) {
  std::mt19937 random(11);
  const std::u16string units = u"a\r\n";
  const auto some = [&](size_t most) {
    std::u16string text(random() % (most + 1), u'a');
    for (char16_t& unit : text) unit = units[random() % units.size()];
    return text;
  };
  for (int document = 0; document < 200; ++document) {
    std::u16string text = some(12);
    EditorLines lines(text);
    for (int edit = 0; edit < 20; ++edit) {
      const size_t from = random() % (text.size() + 1);
      const size_t removed = random() % (text.size() - from + 1);
      const std::u16string inserted = some(4);
      const std::u16string before = text;
      text.replace(from, removed, inserted);
      lines.Replaced(text, from, removed, inserted.size());
      const EditorLines afresh(text);
      std::vector<size_t> got;
      std::vector<size_t> want;
      for (size_t i = 0; i < lines.Count(); ++i) got.push_back(lines.Start(i));
      for (size_t i = 0; i < afresh.Count(); ++i) want.push_back(afresh.Start(i));
      ASSERT_EQ(got, want) << "replacing " << removed << " units at " << from << " of a text of "
                           << before.size() << " with " << inserted.size();
    }
  }
}

TEST(StoryNavigation, TargetsGoWhereTheReaderGoes) {
  struct Row {
    const char* reason;
    std::u16string story;  // "|" is the cursor
    std::u16string landsOn;  // the text of the line it lands on; empty: nowhere
    int64_t matched;         // units of that line the name covers
  };
  const std::vector<Row> rows = {
      {"a plain jump", StoryOf({u"[s]", u"Go>>[r|oad]", u"[road]On."}), u"[road]On.", 6},
      {"the cursor just after the name", StoryOf({u"[s]", u"Go>>[road]|", u"[road]On."}), u"[road]On.", 6},
      {"a prefix match lands on the longer line", StoryOf({u"[s]>>g|o", u"good", u"go"}), u"good", 2},
      {"the first line can never be found", StoryOf({u"[s]", u">>[|s]", u"[s]again"}), u"[s]again", 3},
      {"a conditional jump's first name", StoryOf({u"s>>A[|x],[y]", u"[y]", u"[x]"}), u"[x]", 3},
      {"a conditional jump's second name", StoryOf({u"s>>A[x],[|y]", u"[y]", u"[x]"}), u"[y]", 3},
      {"the names follow the first >>", StoryOf({u"s>>[|p]>>B[q],[r]", u"[r]", u"p]>>B[q] odd"}), u"p]>>B[q] odd", 8},
      {"a plain target read as conditional", StoryOf({u"s>>App|le", u"pple", u"Apple"}), u"pple", 4},
      {"a choice item", StoryOf({u"s??[a],[|b]", u"[a]", u"[b]"}), u"[b]", 3},
      {"a choice item with a space in front", StoryOf({u"s??[a], [|b]", u"[b]"}), u"", 0},
      {"a missing target", StoryOf({u"s>>[|nowhere]", u"[b]"}), u"", 0},
      {"a jump after END still names its line", StoryOf({u"s>>[|b]::END", u"[b]"}), u"[b]", 3},
      {"not on a target", StoryOf({u"|s>>[b]", u"[b]"}), u"", 0},
      {"a target holding a lone LF", StoryOf({u"s>>[|a]\nb", u"[a]\nb"}), u"[a]\nb", 5},
  };
  for (const Row& row : rows) {
    const Cursor cursor = WithCursor(row.story);
    StoryAnalysis analysis(cursor.Text);
    const std::optional<StoryPlace> place = LandingPlaceAt(analysis, cursor.Pos);
    if (row.landsOn.empty()) {
      EXPECT_FALSE(place) << row.reason;
      continue;
    }
    ASSERT_TRUE(place) << row.reason;
    EXPECT_EQ(LineTextAt(analysis, place->Pos), row.landsOn) << row.reason;
    EXPECT_EQ(place->Length, row.matched) << row.reason;
  }
}

TEST(StoryNavigation, WaysIntoALineAreEveryJumpChoiceAndRunOn) {
  const std::u16string text = StoryOf({
      u"[start]Hello",          // runs on into line 2
      u"[x]Here",               // the label line asked about
      u"Go>>[x]",               // jump
      u"Cond>>A[x],[y]",        // conditional, first name
      u"Cond>>B[y],[x]",        // conditional, second name
      u"Pick??[y],[x],[x]",     // two keys
      u"Stop>>[x]::END",        // never taken
      u"Wait>>[x]??[y]",        // a choice waits first: the jump is never followed
      u"[y]",
      u"Pre>>[x",               // a prefix of the label lands there too
  });
  StoryAnalysis analysis(text);
  const std::vector<WayIn> ways = WaysInto(analysis, 1);
  std::vector<std::u16string> from;
  for (const WayIn& way : ways) from.push_back(LineTextAt(analysis, way.Place.Pos));
  EXPECT_EQ(from, (std::vector<std::u16string>{u"[start]Hello", u"Go>>[x]", u"Cond>>A[x],[y]", u"Cond>>B[y],[x]",
                                               u"Pick??[y],[x],[x]", u"Pick??[y],[x],[x]", u"Pre>>[x"}));
  const std::vector<LabelWays> counts = WaysIntoLabelLines(analysis);
  ASSERT_EQ(counts.size(), 2u);
  EXPECT_EQ(counts[0].Line, 1u);
  EXPECT_EQ(counts[0].Count, 7u);
  EXPECT_EQ(counts[1].Line, 8u);  // [y]: two conditional names, one key; "Wait" waits on its choice
  EXPECT_EQ(counts[1].Count, 4u);
}

TEST(StoryRename, RenamesALabelAndTheTargetsThatNameItExactly) {
  struct Row {
    const char* reason;
    std::u16string story;  // "|" is the cursor
    std::u16string newName;
    std::u16string after;  // the story after the edits; empty when refused
    const char* refusal;   // words the refusal holds
  };
  const std::vector<Row> rows = {
      {"from the label line", StoryOf({u"s>>[a]", u"[|a]A", u"t??[a],[b]", u"[b]"}), u"c",
       StoryOf({u"s>>[c]", u"[c]A", u"t??[c],[b]", u"[b]"}), ""},
      {"from a target, brackets given", StoryOf({u"s>>[|a]", u"[a]A"}), u"[c]", StoryOf({u"s>>[c]", u"[c]A"}), ""},
      {"both names of a conditional jump", StoryOf({u"s>>A[a],[a]", u"[|a]"}), u"z",
       StoryOf({u"s>>A[z],[z]", u"[z]"}), ""},
      {"a second definition is not renamed", StoryOf({u"s>>[a]", u"[|a]1", u"[a]2"}), u"c",
       StoryOf({u"s>>[c]", u"[c]1", u"[a]2"}), ""},
      {"another line already has the new label earlier", StoryOf({u"s>>[a]", u"[b]B", u"[|a]A"}), u"b", u"",
       "jump target \"[a]\" on line 1 lands: line 2 instead of line 3"},
      {"a later line would lose its targets", StoryOf({u"s>>[b]", u"[|a]A", u"[b]B"}), u"b", u"",
       "jump target \"[b]\" on line 1"},
      {"a prefix target would land elsewhere", StoryOf({u"s>>[ab", u"[|abc]", u"[abd]"}), u"x", u"",
       "\"[ab\" on line 1 lands: line 3 instead of line 2"},
      {"a missing target would begin to land", StoryOf({u"s>>[c]", u"[|a]"}), u"c", u"", "line 2 instead of no line"},
      {"a name that would end the label", StoryOf({u"s>>[a]", u"[|a]"}), u"x]y", u"", "cannot hold \"]\""},
      {"a name that would split a list", StoryOf({u"s>>[a]", u"[|a]"}), u"x,y", u"", "cannot hold \",\""},
      {"a name that begins a marker", StoryOf({u"s>>[a]", u"[|a]"}), u"x>>y", u"", "cannot hold \">>\""},
      {"spaces around the name", StoryOf({u"s>>[a]", u"[|a]"}), u" x", u"", "spaces"},
      {"a target that only begins the label", StoryOf({u"s>>[|a", u"[a]"}), u"x", u"", "not the whole label"},
      {"no label here", StoryOf({u"s|ay", u"[a]"}), u"x", u"", "only a label"},
  };
  for (const Row& row : rows) {
    const Cursor cursor = WithCursor(row.story);
    StoryAnalysis analysis(cursor.Text);
    std::string why;
    const std::vector<StoryEdit> edits = RenameLabel(analysis, cursor.Pos, row.newName, why);
    if (row.after.empty()) {
      EXPECT_TRUE(edits.empty()) << row.reason;
      EXPECT_NE(why.find(row.refusal), std::string::npos) << row.reason << ": " << why;
    } else {
      EXPECT_EQ(EditedText(analysis.Text(), edits), row.after) << row.reason << ": " << why;
    }
  }
}

TEST(StoryCompletion, KnowsWhatCanBeTypedWhere) {
  struct Row {
    const char* reason;
    std::u16string line;  // "|" is the cursor
    bool none;
    CompletionSpot::Kind kind;
    std::u16string typed;
    int64_t closingAfter = 0;
  };
  using Kind = CompletionSpot::Kind;
  const std::vector<Row> rows = {
      {"after >>", u"Go>>|", false, Kind::Label, u""},
      {"a label begun", u"Go>>[ro|", false, Kind::Label, u"[ro"},
      {"after a conditional jump's letter", u"Go>>A|", false, Kind::Label, u""},
      {"a conditional jump's first name", u"Go>>B[x|", false, Kind::Label, u"[x"},
      {"a conditional jump's second name", u"Go>>C[x],[|", false, Kind::Label, u"["},
      {"a plain target that begins with A", u"Go>>Ap|", false, Kind::Label, u"Ap"},
      {"the first item of a choice", u"Pick??|", false, Kind::Label, u""},
      {"a later item of a choice", u"Pick??[a],[b|", false, Kind::Label, u"[b"},
      {">> after ?? is still the choice list", u"Pick??[a]>>|", false, Kind::Label, u"[a]>>"},
      {"a command keyword", u"Hi::AO|", false, Kind::Keyword, u"AO"},
      {"a second keyword", u"Hi::AON B|", false, Kind::Keyword, u"B"},
      {"inside the line's own label", u"[ro|", true, Kind::Label, u""},
      {"plain text", u"Hello |", true, Kind::Label, u""},
      {">> after :: is part of the command", u"Hi::END>>|", false, Kind::Keyword, u""},
      {"the bracket an editor closed is replaced too", u"Go>>[mi|]", false, Kind::Label, u"[mi", 1},
      {"in a choice likewise", u"Pick??[a],[b|]", false, Kind::Label, u"[b", 1},
      {"a bracket further on is not", u"Go>>[mi| ]", false, Kind::Label, u"[mi", 0},
      {"nor after a keyword", u"Hi::AO|]", false, Kind::Keyword, u"AO", 0},
  };
  for (const Row& row : rows) {
    const Cursor cursor = WithCursor(StoryOf({u"[start]", row.line}));
    StoryAnalysis analysis(cursor.Text);
    const std::optional<CompletionSpot> spot = CompletionAt(analysis, cursor.Pos);
    if (row.none) {
      EXPECT_FALSE(spot) << row.reason;
      continue;
    }
    ASSERT_TRUE(spot) << row.reason;
    EXPECT_EQ(spot->What, row.kind) << row.reason;
    EXPECT_EQ(std::u16string(spot->Typed), row.typed) << row.reason;
    EXPECT_EQ(spot->From + static_cast<int64_t>(spot->Typed.size()), cursor.Pos) << row.reason;
    EXPECT_EQ(spot->ClosingAfter, row.closingAfter) << row.reason;
  }
}

TEST(StoryCompletion, OffersTheWordsThatBeginWithWhatIsTyped) {
  // More labels than the list holds, "[l0]" to "[l500]", after the cursor's line.
  const auto labelled = [](std::u16string cursorLine) {
    std::vector<std::u16string> lines = {std::move(cursorLine)};
    for (size_t i = 0; i <= MaxCompletions; ++i) {
      const std::string name = "[l" + std::to_string(i) + "]x";
      lines.emplace_back(name.begin(), name.end());
    }
    return StoryOf(lines);
  };
  struct Row {
    const char* reason;
    std::u16string story;            // "|" is the cursor
    std::vector<std::string> first;  // the first words offered, a label's detail after it
    size_t count;
    bool cut;
  };
  const std::vector<Row> rows = {
      {"every keyword", StoryOf({u"Hi::|"}), {"AON", "BON"}, 11, false},
      {"the keywords that begin with what is typed", StoryOf({u"Hi::AO|"}), {"AON", "AOFF"}, 2, false},
      {"a keyword matches as typed, case and all", StoryOf({u"Hi::ao|"}), {}, 0, false},
      {"labels in the story's order, each with the line it begins",
       StoryOf({u"s>>[r|", u"[road]On the road>>[up]", u"[up]", u"[rest] Rest"}),
       {"[road] line 2: On the road", "[rest] line 4: Rest"}, 2, false},
      {"the list is cut at its length", labelled(u"s>>|"), {"[l0] line 2: x"}, MaxCompletions, true},
      {"[l1], [l10]-[l19] and [l100]-[l199] fit", labelled(u"s>>[l1|"), {"[l1] line 3: x", "[l10] line 12: x"},
       111, false},
  };
  for (const Row& row : rows) {
    const Cursor cursor = WithCursor(row.story);
    StoryAnalysis analysis(cursor.Text);
    const std::optional<Completions> found = CompletionsAt(analysis, cursor.Pos);
    ASSERT_TRUE(found) << row.reason;
    EXPECT_EQ(found->Items.size(), row.count) << row.reason;
    EXPECT_EQ(found->Cut, row.cut) << row.reason;
    std::vector<std::string> first;
    for (size_t i = 0; i < row.first.size() && i < found->Items.size(); ++i) {
      const CompletionItem& item = found->Items[i];
      first.push_back(Utf16ToUtf8(item.Word) + (item.Detail.empty() ? "" : " " + item.Detail));
    }
    EXPECT_EQ(first, row.first) << row.reason;
  }
  const Cursor plain = WithCursor(StoryOf({u"Hello|", u"[a]"}));
  StoryAnalysis analysis(plain.Text);
  EXPECT_FALSE(CompletionsAt(analysis, plain.Pos)) << "nothing is typed into plain text";
}

TEST(StoryTokens, ColourTheMarkupAsTheInterpreterReadsIt) {
  using Kind = StoryToken::Kind;
  struct Row {
    const char* reason;
    std::u16string line;
    std::vector<std::pair<std::u16string, Kind>> tokens;
  };
  const std::vector<Row> rows = {
      {"label, jump", u"[a]Go>>[b]", {{u"[a]", Kind::Label}, {u">>", Kind::JumpMarker}, {u"[b]", Kind::Target}}},
      {"conditional jump",
       u"Go>>A[b],[c]",
       {{u">>", Kind::JumpMarker}, {u"A", Kind::Flag}, {u"[b]", Kind::Target}, {u"[c]", Kind::Target}}},
      {"command keywords in any case",
       u"Hi::aonxEND",
       {{u"::", Kind::CommandMarker}, {u"a", Kind::Flag}, {u"on", Kind::Keyword}, {u"x", Kind::Command},
        {u"END", Kind::Keyword}}},
      {"choice with its items, markers after ?? in the list",
       u"Pick??[a],[b]>>c",
       {{u"??", Kind::ChoiceMarker}, {u"[a]", Kind::ChoiceItem}, {u"[b]>>c", Kind::ChoiceItem}}},
      {"empty items colour nothing, the last after a comma too",
       u"Pick??,[a],,[b],",
       {{u"??", Kind::ChoiceMarker}, {u"[a]", Kind::ChoiceItem}, {u"[b]", Kind::ChoiceItem}}},
      {"the names, read after the first >>, hide the deciding marker",
       u"s>>[p]>>B[q]",
       {{u">>", Kind::JumpMarker}, {u"p]>>B[q]", Kind::Target}}},
  };
  for (const Row& row : rows) {
    const std::u16string text = StoryOf({row.line});
    StoryAnalysis analysis(text);
    std::vector<std::pair<std::u16string, Kind>> found;
    for (const StoryToken& token : StoryTokensOf(analysis)) {
      found.emplace_back(text.substr(static_cast<size_t>(token.Pos - 1), static_cast<size_t>(token.Length)),
                         token.TokenKind);
    }
    EXPECT_EQ(found, row.tokens) << row.reason;
  }
}

TEST(StoryFixes, MendTheObviousMistakes) {
  struct Row {
    const char* reason;
    std::u16string editor;  // "|" is the cursor
    const char* title;      // words of the fix's title
    std::u16string after;   // the story once that fix is made; empty: no such fix
    SavedLineFeed lineFeeds = SavedLineFeed::AsItIs;
  };
  const std::vector<Row> rows = {
      {"space in front of a choice item", u"s??[a], [|b]\r\n[b]\r\n", "Remove the space",
       u"s??[a],[b]\r\n[b]\r\n"},
      {"plain jump read as conditional", u"s>>App|le\r\nApple pie\r\n", "Bracket",
       u"s>>[Apple]\r\n[Apple]Apple pie\r\n"},
      {"no bracketing where another target would lose its line", u"s>>App|le\r\nApple pie\r\nt??Apple\r\n",
       "Bracket", u""},
      {"nearest label", u"s>>[rood|]\r\n[road]\r\n[far]\r\n", "Change to the label \"[road]\"",
       u"s>>[road]\r\n[road]\r\n[far]\r\n"},
      {"new passage, document without a last break", u"s>>[new|]\r\n[b]", "Create the passage",
       u"s>>[new]\r\n[b]\r\n[new]"},
      {"new passage, document ending in a break", u"s>>[new|]\r\n[b]\r\n", "Create the passage",
       u"s>>[new]\r\n[b]\r\n[new]\r\n"},
      {"no passage for a misread jump's names", u"s>>App|le\r\n", "Create the passage", u""},
      {"lone LFs everywhere", u"a\nb|\r\nc\nd\r\n", "lone LF", u"a\r\nb\r\nc\r\nd\r\n"},
      // An editor that converts line ends would save that CR LF as CR CR LF.
      {"no CR LF into a text that holds none", u"a\nb|\nc\n", "lone LF", u""},
      {"a new passage in the editor's own line ends", u"s>>[new|]\nb\n", "Create the passage",
       u"s>>[new]\nb\n[new]\n", SavedLineFeed::AsBreak},
      {"a new passage after a last line without its break", u"s>>[new|]\nb", "Create the passage",
       u"s>>[new]\nb\n[new]", SavedLineFeed::AsBreak},
  };
  for (const Row& row : rows) {
    const Cursor cursor = WithCursor(row.editor);
    StoryAnalysis analysis(cursor.Text, row.lineFeeds);
    const int64_t pos = analysis.Story().StoryPos(static_cast<size_t>(cursor.Pos - 1));
    const std::vector<StoryFix> fixes = FixesWithin(analysis, pos, pos);
    const StoryFix* fix = nullptr;
    for (const StoryFix& each : fixes) {
      if (each.Title.find(row.title) != std::string::npos) fix = &each;
    }
    if (row.after.empty()) {
      EXPECT_EQ(fix, nullptr) << row.reason;
      continue;
    }
    ASSERT_NE(fix, nullptr) << row.reason;
    // The edits go to the editor's text, where the document may lack its
    // last line break.
    std::u16string after = cursor.Text;
    for (auto edit = fix->Edits.rbegin(); edit != fix->Edits.rend(); ++edit) {
      const size_t from = analysis.Story().EditorOffset(edit->Pos);
      after.replace(from, analysis.Story().EditorOffset(edit->Pos + edit->Length) - from, edit->Text);
    }
    EXPECT_EQ(after, row.after) << row.reason;
  }
}

TEST(StoryHover, SaysWhatTheReaderDoesWithTheLine) {
  struct Row {
    const char* reason;
    std::u16string story;  // "|" is the cursor
    std::vector<const char*> says;
  };
  const std::vector<Row> rows = {
      {"a choice", StoryOf({u"[s]Pick|??[a],[nope]", u"[a]A"}),
       {"Shows ` Pick `", "Key 1, ` [a] `: line 2, ` [a]A `", "Key 2, ` [nope] `: begins no line"}},
      {"a conditional jump and flags", StoryOf({u"[s]Go>|>A[a],[b]::bon aoff", u"[a]", u"[b]"}),
       {"With flag A on, jumps (after an empty step) to line 2", "With flag A off", "Switches A off, B on."}},
      {"a jump to nowhere names its target", StoryOf({u"[s]Go|>>[zz]", u"[a]"}),
       {"Jumps (after an empty step) to ` [zz] `, which begins no line: the story stops"}},
      {"END", StoryOf({u"[s]B|ye::END", u"Lost"}), {"END: the story stops"}},
      {"a line nothing reaches", StoryOf({u"[s]Bye::END", u"Lo|st"}), {"Never reached"}},
  };
  for (const Row& row : rows) {
    const Cursor cursor = WithCursor(row.story);
    StoryAnalysis analysis(cursor.Text);
    const std::string hover = HoverAt(analysis, cursor.Pos);
    for (const char* words : row.says) EXPECT_NE(hover.find(words), std::string::npos) << row.reason << "\n" << hover;
  }
}

}  // namespace

TEST(SavedStory, WhatTheFileOnDiskSaysOfItsLineEnds) {
  struct Row {
    const char* reason;
    std::string bytes;
    bool breaksHoldCr;
    std::vector<size_t> loneLineFeedLines;  // as vln check numbers them
    std::u16string editor;                  // the editor's text of the file
    SavedLineFeed lineFeeds;                // how the editor saves its LFs
  };
  const std::vector<Row> rows = {
      {"CR LF held as LF: the editor converts", "a\r\nb\r\n", true, {}, u"a\nb\n", SavedLineFeed::AsBreak},
      {"CR LF held as CR LF", "a\r\nb\r\n", true, {}, u"a\r\nb\r\n", SavedLineFeed::AsItIs},
      {"an LF-only file says nothing of the editor", "a\nb\nc\n", false, {1}, u"a\nb\nc\n", SavedLineFeed::AsItIs},
      {"a text without breaks keeps its LF-less self", "a\r\n", true, {}, u"a", SavedLineFeed::AsItIs},
      {"mixed, held with its CRs", "a\r\nb\nc\r\nd\ne\r\n", true, {2, 4}, u"a\r\nb\nc\r\nd\ne\r\n",
       SavedLineFeed::AsItIs},
      {"mixed, held as LF alone", "a\r\nb\nc\r\n", true, {2}, u"a\nb\nc\n", SavedLineFeed::AsBreak},
      // VS Code makes every break LF, and saves them so.
      {"mostly LF, held as LF alone", "a\nb\nc\r\n", false, {1}, u"a\nb\nc\n", SavedLineFeed::AsItIs},
      {"Shift-JIS kana", "[\x82\xa0]\x82\xa2\n\x82\xa4\r\n\x82\xa6\r\n", true, {1},
       u"[\u3042]\u3044\n\u3046\n\u3048\n", SavedLineFeed::AsBreak},
  };
  for (const Row& row : rows) {
    const SavedStory saved = SavedStoryOf(row.bytes);
    EXPECT_EQ(saved.BreaksHoldCr, row.breaksHoldCr) << row.reason;
    std::vector<size_t> lines;
    for (const SavedStory::LoneLineFeed& feed : saved.LoneLineFeeds) {
      lines.push_back(feed.Line);
      EXPECT_EQ(feed.Finding.Code, "lone-line-feed") << row.reason;
    }
    EXPECT_EQ(lines, row.loneLineFeedLines) << row.reason;
    EXPECT_EQ(SavedLineFeedOf(saved, row.editor), row.lineFeeds) << row.reason;
  }
}

TEST(SavedStory, FilePathOfUri) {
  const std::vector<std::pair<std::string, std::optional<std::string>>> rows = {
      {"file:///home/a%20b/%E6%98%9F.vln", "/home/a b/\xE6\x98\x9F.vln"},
      {"file://localhost/s.vln", "/s.vln"},
      {"FILE:///s.vln", "/s.vln"},
      {"file:///C:/stories/s.vln", "C:/stories/s.vln"},
      {"file:///100%.vln", "/100%.vln"},
      {"file://server/share/s.vln", std::nullopt},
      {"untitled:Untitled-1", std::nullopt},
  };
  for (const auto& [uri, path] : rows) EXPECT_EQ(FilePathOfUri(uri), path) << uri;
}
