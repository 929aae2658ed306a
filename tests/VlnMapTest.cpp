#include <cgraph.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/StoryFileInput.h"
#include "story/StoryStrings.h"
#include "tests/StoryTestSupport.h"
#include "tests/TempFolder.h"
#include "tests/VlnFakeFiles.h"
#include "tests/WorkedExample.h"
#include "tools/vln/check/CheckStory.h"
#include "tools/vln/check/CheckText.h"
#include "tools/vln/map/MapCommand.h"
#include "tools/vln/map/MapDot.h"
#include "tools/vln/map/MapRender.h"
#include "tools/vln/reading/ReadableText.h"
#include "tools/vln/reading/StoryFileRead.h"
#include "tools/vln/map/StoryMap.h"

namespace {

std::string Attribute(void* object, const char* name) {
  const char* value = agget(object, const_cast<char*>(name));
  return value == nullptr ? "" : value;
}

// The map as Graphviz itself reads it back: each passage as "NAME CLASS",
// each target that begins no line by its label, each edge as
// "FROM -> TO CLASS" with its label in quotes when it has one.
struct ReadBack {
  bool parsed = false;
  std::set<std::string> nodes;
  std::set<std::string> edges;
};

std::string NodeKey(Agnode_t* node) {
  const std::string label = Attribute(node, "label");
  return label.starts_with("missing: ") ? label : agnameof(node);
}

ReadBack ReadDot(const std::string& dot) {
  ReadBack back;
  Agraph_t* graph = agmemread(dot.c_str());
  if (graph == nullptr) return back;
  back.parsed = true;
  for (Agnode_t* node = agfstnode(graph); node != nullptr; node = agnxtnode(graph, node)) {
    back.nodes.insert(NodeKey(node) + " " + Attribute(node, "class"));
    for (Agedge_t* edge = agfstout(graph, node); edge != nullptr; edge = agnxtout(graph, edge)) {
      const std::string label = Attribute(edge, "label");
      back.edges.insert(NodeKey(agtail(edge)) + " -> " + NodeKey(aghead(edge)) + " " +
                        Attribute(edge, "class") + (label.empty() ? "" : " \"" + label + "\""));
    }
  }
  agclose(graph);
  return back;
}

struct MapRow {
  const char* reason;
  std::vector<std::u16string> story;
  std::set<std::string> nodes;
  std::set<std::string> edges;
};

const std::vector<MapRow>& MapRows() {
  static const std::vector<MapRow> rows = {
      {"every kind of way on, as the reader goes",
       WorkedExampleLines,
       {"L1 passage", "L3 passage", "L5 passage", "L6 passage", "L7 passage end",
        "L8 passage end"},
       {"L1 -> L3 choice \"1 [up]\"", "L1 -> L5 choice \"2 [sleep]\"", "L3 -> L6 jump",
        "L5 -> L6 next", "L6 -> L7 conditional \"A on\"", "L6 -> L8 conditional \"A off\""}},
      {"a missing jump target; what nothing reaches is grey",
       {u"Hi>>[road]", u"[rood]x"},
       {"L1 passage", "L2 passage end unreached", "missing: [road] missing"},
       {"L1 -> missing: [road] jump missing"}},
      {"a plain jump read as a conditional one goes where the reader goes",
       {u"Go>>Apple", u"Apple pie::END"},
       {"L1 passage", "L2 passage end", "missing: pple missing"},
       {"L1 -> L2 conditional misread \"A off (read as conditional)\"",
        "L1 -> missing: pple conditional misread missing \"A on (read as conditional)\""}},
      {"a command on the line decides its own condition",
       {u"Go>>A[y],[n]::AON", u"[y]Y::END", u"[n]N::END"},
       {"L1 passage", "L2 passage end", "L3 passage end unreached"},
       {"L1 -> L2 conditional \"A on\""}},
      {"keys 1 to 5 only; empty items and missing targets",
       {u"Pick??[a],,[zz],[a],[a],[b]", u"[a]A::END", u"[b]B::END"},
       {"L1 passage", "L2 passage end", "L3 passage end unreached", "missing: [zz] missing"},
       {"L1 -> L2 choice \"1 [a]\"", "L1 -> missing: [zz] choice missing \"3 [zz]\"",
        "L1 -> L2 choice \"4 [a]\"", "L1 -> L2 choice \"5 [a]\""}},
      {"a choice after END is still answered",
       {u"Bye::END??[a],[b]", u"[a]A::END", u"[b]B::END"},
       {"L1 passage", "L2 passage end", "L3 passage end"},
       {"L1 -> L2 choice \"1 [a]\"", "L1 -> L3 choice \"2 [b]\""}},
      {"END stops before the jump",
       {u"Go>>[x]::END", u"[x]X"},
       {"L1 passage end", "L2 passage end unreached"},
       {}},
      {"a blank line nothing reaches is left out, as check says nothing of it",
       {u"Go>>[b]", u"", u"[b]B::END"},
       {"L1 passage", "L3 passage end"},
       {"L1 -> L3 jump"}},
      {"an unreached passage runs on into a landing",
       {u"Start", u"Go>>[c]", u"[b]never", u"[c]C", u"More::END"},
       {"L1 passage", "L3 passage unreached", "L4 passage end"},
       {"L1 -> L4 jump", "L3 -> L4 next"}},
      {"one name: flag off lands on the first line break, so line 2 begins a passage",
       {u"Start", u"Go>>A[p]", u"[p]P::END"},
       {"L1 passage", "L2 passage", "L3 passage end"},
       {"L1 -> L2 next", "L2 -> L3 conditional \"A on\"", "L2 -> L2 conditional \"A off\""}},
      {"a choice no key can answer leaves the reader stuck",
       {u"Pick??,,", u"After::END"},
       {"L1 passage stuck", "L2 passage end unreached"},
       {}},
      {"a label alone on its line is where the choice lands",
       {u"Pick??[a]", u"[a]", u"After::END"},
       {"L1 passage", "L2 passage end"},
       {"L1 -> L2 choice \"1 [a]\""}},
  };
  return rows;
}

TEST(VlnMap, GraphFromDotAsSets) {
  for (const MapRow& row : MapRows()) {
    const std::u16string text = StoryOf(row.story);
    const StoryLines lines(text);
    const std::string dot = StoryMapDot(BuildStoryMap(text, lines));
    const ReadBack back = ReadDot(dot);
    ASSERT_TRUE(back.parsed) << row.reason << "\n" << dot;
    EXPECT_EQ(back.nodes, row.nodes) << row.reason << "\n" << dot;
    EXPECT_EQ(back.edges, row.edges) << row.reason << "\n" << dot;
  }
}

// The map and vln check read the same stories the same way: grey passages
// are the lines check finds unreachable, missing nodes the targets it
// finds missing, misread edges the jumps it finds read as conditional.
struct Agreement {
  std::set<long> unreached;
  std::set<std::string> missing;
  std::set<long> misread;
  std::set<long> stuck;
};

Agreement FromMap(const std::u16string& text, const StoryLines& lines) {
  const StoryMap map = BuildStoryMap(text, lines);
  Agreement a;
  for (const StoryMap::Passage& p : map.Passages) {
    if (p.Stuck) a.stuck.insert(lines.FileLineAt(lines.Lines()[p.LastLine].Start));
    if (p.Reached) continue;
    for (size_t i = p.FirstLine; i <= p.LastLine; ++i) {
      if (!StoryTrim(lines.Lines()[i].Text).empty()) {
        a.unreached.insert(lines.FileLineAt(lines.Lines()[i].Start));
      }
    }
  }
  for (const StoryMap::Edge& e : map.Edges) {
    const long from = lines.FileLineAt(lines.Lines()[map.Passages[e.From].LastLine].Start);
    if (e.ReadAsConditional) {
      a.misread.insert(from);
    } else if (e.ToMissing) {
      a.missing.insert(Quoted(map.MissingTargets[e.To]));
    }
  }
  return a;
}

Agreement FromCheck(const std::u16string& text, const StoryLines& lines) {
  Agreement a;
  const std::regex upTo(R"(nor anything up to line (\d+))");
  const std::regex target("target (\".*\")(?: \\(flag . o[nf]+\\))? does not begin any line");
  for (const CheckFinding& f : CheckStory(text, lines)) {
    const long line = lines.FileLineAt(f.Pos);
    std::smatch m;
    if (f.Message.starts_with("no reading from the first line reaches")) {
      const long last = std::regex_search(f.Message, m, upTo) ? std::stol(m[1]) : line;
      for (size_t i = lines.LineIndexAt(f.Pos); i < lines.Lines().size(); ++i) {
        const long at = lines.FileLineAt(lines.Lines()[i].Start);
        if (at > last) break;
        if (!StoryTrim(lines.Lines()[i].Text).empty()) a.unreached.insert(at);
      }
    } else if (std::regex_search(f.Message, m, target)) {
      a.missing.insert(m[1]);
    } else if (f.Message.find("so it is read as a conditional jump") != std::string::npos) {
      a.misread.insert(line);
    } else if (f.Message.starts_with("no key can answer the choice")) {
      a.stuck.insert(line);
    }
  }
  return a;
}

TEST(VlnMap, NeverDisagreesWithCheck) {
  std::vector<std::pair<std::string, std::u16string>> stories;
  for (const MapRow& row : MapRows()) stories.emplace_back(row.reason, StoryOf(row.story));
  StoryFileInput input;
  for (const char* file : {"tests/vln/mistakes.vln", "examples/hoshi-no-eki.vln",
                           "examples/ame-no-kissaten.vln"}) {
    std::u16string text;
    ASSERT_TRUE(ReadStoryFile(std::string(VELNORI_SOURCE_DIR) + "/" + file, input, text)) << file;
    stories.emplace_back(file, text);
  }
  for (const auto& [name, text] : stories) {
    const StoryLines lines(text);
    const Agreement map = FromMap(text, lines);
    const Agreement check = FromCheck(text, lines);
    EXPECT_EQ(map.unreached, check.unreached) << name;
    EXPECT_EQ(map.missing, check.missing) << name;
    EXPECT_EQ(map.misread, check.misread) << name;
    EXPECT_EQ(map.stuck, check.stuck) << name;
  }
}

bool IsUtf8(const std::string& bytes) {
  for (size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const size_t length = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > bytes.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

// Whatever a story holds, the DOT stays valid and says what the reader sees:
// Graphviz reads the missing target's name back exactly.
TEST(VlnMap, HostileTextStaysValidDot) {
  struct HostileRow {
    const char* reason;
    std::u16string text;
    std::string shown = "";  // the missing node's label, when not the whole name
  };
  const std::vector<HostileRow> rows = {
      {"quotes and backslashes", u"\"q\\\"\\\\"},
      {"Graphviz's own escapes", u"\\N\\G\\n\\l\\E"},
      {"entities", u"&amp;&#0;&lt;&bogus"},
      {"control characters and NUL", std::u16string(u"a\0b\tc\x7F\x1B", 7)},
      {"lone surrogates and non-characters", std::u16string(u"\xD800x\xDC00\xFFFE\xFFFF", 5)},
      {"a long name is cut, never inside a pair", std::u16string(30, u'x') + u"\U0001F600tail",
       "missing: [" + std::string(30, 'x') + "…"},
      {"DOT syntax", u"}; digraph x { a -> b; /* // #"},
  };
  for (const auto& [reason, hostile, shown] : rows) {
    const std::u16string text =
        StoryOf({u"[" + hostile + u"]" + hostile + u"??[" + hostile + u"x", hostile + u"::END"});
    const StoryLines lines(text);
    const std::string dot = StoryMapDot(BuildStoryMap(text, lines));
    EXPECT_TRUE(IsUtf8(dot)) << reason;
    Agraph_t* graph = agmemread(dot.c_str());
    ASSERT_NE(graph, nullptr) << reason << "\n" << dot;
    std::string name;
    for (Agnode_t* node = agfstnode(graph); node != nullptr; node = agnxtnode(graph, node)) {
      if (Attribute(node, "class") == "missing") name = Attribute(node, "label");
    }
    agclose(graph);
    std::string expected = "missing: " + ReadableText(u"[" + hostile + u"x");
    for (const std::string from : {"\xEF\xBF\xBE", "\xEF\xBF\xBF"}) {
      for (size_t at; (at = expected.find(from)) != std::string::npos;) {
        expected.replace(at, from.size(), "\xEF\xBF\xBD");
      }
    }
    if (!shown.empty()) expected = shown;
    // What Graphviz draws: "\\" is one backslash, "&amp;" one ampersand.
    name = std::regex_replace(name, std::regex(R"(\\\\)"), "\\");
    name = std::regex_replace(name, std::regex("&amp;"), "&");
    EXPECT_EQ(name, expected) << reason;
  }
}

// vln map writes DOT to a file in pieces as it makes it; the pieces joined
// are the DOT whole, also where one piece of text is larger than a piece.
TEST(VlnMap, DotInPiecesIsTheDotWhole) {
  std::vector<std::u16string> switches(40000, u"switch::AON BOFF");
  switches.insert(switches.begin(), u"[start]");
  std::vector<std::u16string> many;
  for (int i = 0; i < 3000; ++i) {
    const std::u16string n = u"p" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) +
                             std::u16string(static_cast<size_t>(i / 26), u'x');
    many.push_back(u"[" + n + u"]\"quoted\" & \\n " + n + u"??[" + n + u"],[missing" + n + u"]");
  }
  const std::vector<std::pair<const char*, std::u16string>> rows = {
      {"one passage switches flags forty thousand times", StoryOfLines(switches)},
      {"thousands of passages, missing targets and escapes", StoryOfLines(many)},
      {"the worked example", StoryOfLines(WorkedExampleLines)},
  };
  for (const auto& [reason, text] : rows) {
    const StoryLines lines(text);
    const StoryMap map = BuildStoryMap(text, lines);
    std::string joined;
    size_t pieces = 0;
    WriteStoryMapDot(map, [&](std::string_view piece) {
      joined += piece;
      ++pieces;
    });
    EXPECT_EQ(joined, StoryMapDot(map)) << reason;
    if (joined.size() > 1'000'000) {
      EXPECT_GT(pieces, 2u) << reason;
    }
  }
}

struct MapRun {
  int status;
  std::string out;
  std::string err;
};

MapRun RunMapOn(const std::vector<std::string>& args) {
  VlnFakeFiles files;
  files.files["worked.vln"] = WorkedExampleLines;
  files.files["empty.vln"] = {};
  files.files["partial.vln"] = WorkedExampleLines;
  files.failAfter["partial.vln"] = 3;
  // Every line jumps to the next one's label: a passage each.
  for (int i = 0; i <= 1000; ++i) {
    const std::string line = "[p" + std::to_string(i) + "]>>[p" + std::to_string(i + 1) + "]";
    files.files["huge.vln"].emplace_back(line.begin(), line.end());
  }
  std::ostringstream out, err;
  const int status = RunMap(args, out, err, files);
  return {status, out.str(), err.str()};
}

TEST(VlnMap, LayoutGrowsRougherWithTheMapThenStops) {
  const std::vector<std::pair<size_t, std::optional<MapLayout>>> rows = {
      {0, MapLayout::Full},     {1, MapLayout::Full},     {100, MapLayout::Full},
      {101, MapLayout::Quick},  {1000, MapLayout::Quick}, {1001, std::nullopt},
      {1000000, std::nullopt},
  };
  for (const auto& [passages, layout] : rows) EXPECT_EQ(MapLayoutFor(passages), layout) << passages << " passages";
}

TEST(VlnMap, ExitStatusAndMessages) {
  TempFolder folder;
  const std::string written = (folder.Path() / "Map.SVG").string();
  const std::string dotFile = (folder.Path() / "map.dot").string();
  const std::string unwritable = (folder.Path() / "no-such-folder" / "map.svg").string();
  // A story whose name ends in .svg is not overwritten by its own map.
  const std::string storyNamedSvg = folder.Write("story.svg", "Hello::END\r\n");
  const std::vector<std::tuple<std::vector<std::string>, int, const char*>> rows = {
      {{"worked.vln", "-o", written}, 0, ""},
      {{"-o", dotFile, "worked.vln"}, 0, ""},
      {{"nowhere.vln", "-o", "-"}, 2, "vln map: nowhere.vln: cannot be read"},
      {{"partial.vln", "-o", "-"}, 2, "partial.vln: cannot be read"},
      {{"empty.vln", "-o", "-"}, 1, "the story is empty"},
      {{"worked.vln", "-o", unwritable}, 2, "vln map: cannot write " },
      {{"worked.vln", "-o", "map.txt"}, 2, "cannot tell the format of \"map.txt\""},
      {{"worked.vln", "-o"}, 2, "-o needs a file name"},
      {{}, 2, "no story given"},
      {{"worked.vln", "worked.vln"}, 2, "one story at a time"},
      {{"-x", "worked.vln"}, 2, "unknown option \"-x\""},
      {{storyNamedSvg}, 2, "the map would overwrite the story"},
      {{"huge.vln", "-o", written}, 2, "has 1001 passages; laying out more than 1000 takes minutes"},
  };
  for (const auto& [args, status, message] : rows) {
    const MapRun run = RunMapOn(args);
    EXPECT_EQ(run.status, status) << args.size() << " " << run.err;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
  }
  EXPECT_TRUE(RunMapOn({"worked.vln", "-o", unwritable}).err.find("No such file or directory") !=
              std::string::npos);
  EXPECT_TRUE(RunMapOn({"worked.vln", "-o", "-"}).out.starts_with("digraph story {"));
  std::ifstream story(storyNamedSvg);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(story), std::istreambuf_iterator<char>()),
            "Hello::END\r\n");
  std::ifstream svg(written);
  const std::string image((std::istreambuf_iterator<char>(svg)), std::istreambuf_iterator<char>());
  EXPECT_NE(image.find("<svg"), std::string::npos) << "the extension is read in any letter case";
  std::ifstream dot(dotFile);
  const std::string graph((std::istreambuf_iterator<char>(dot)), std::istreambuf_iterator<char>());
  EXPECT_EQ(graph, RunMapOn({"worked.vln", "-o", "-"}).out);
}

}  // namespace
