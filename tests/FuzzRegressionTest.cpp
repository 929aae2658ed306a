#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/ListItemOracle.h"
#include "fuzz/MemoryTextInput.h"
#include "fuzz/StoryEventsHarness.h"
#include "platform/HeadlessWindow.h"
#include "window/frmMain.h"

namespace {

namespace fs = std::filesystem;
namespace ev = StoryEvents;

std::vector<uint8_t> ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<fs::path> CorpusFiles(const char* target) {
  const char* root = std::getenv("VELNORI_SOURCE_DIR");
  std::vector<fs::path> files;
  if (root == nullptr) return files;
  for (const auto& entry : fs::directory_iterator(fs::path(root) / "fuzz" / "corpus" / target)) {
    files.push_back(entry.path());
  }
  return files;
}

// Every seed must pass its harness on any compiler, or the fuzzers would
// start from a crash.
TEST(FuzzCorpus, SeedsKeepEveryRule) {
  const std::vector<fs::path> events = CorpusFiles("story_events");
  const std::vector<fs::path> lists = CorpusFiles("list_item");
  ASSERT_FALSE(events.empty()) << "no seeds: is VELNORI_SOURCE_DIR set?";
  ASSERT_FALSE(lists.empty());
  for (const fs::path& file : events) {
    const std::vector<uint8_t> bytes = ReadBytes(file);
    EXPECT_EQ(RunStoryEvents(bytes.data(), bytes.size()), "") << file;
  }
  for (const fs::path& file : lists) {
    const std::vector<uint8_t> bytes = ReadBytes(file);
    EXPECT_EQ(CheckListItem(bytes.data(), bytes.size()), "") << file;
  }
}

// The oracle the list fuzzer trusts must itself give the documented answers.
TEST(FuzzOracle, ListItemByOracle) {
  const struct {
    const char* why;
    std::u16string list;
    int index;
    std::u16string item;
  } cases[] = {
      {"first", u"A,B,C", 0, u"A"},
      {"last", u"A,B,C", 2, u"C"},
      {"past the end", u"A,B,C", 3, u""},
      {"space belongs to the item", u"A, B", 1, u" B"},
      {"empty item", u"A,,B", 1, u""},
      {"after an empty item", u"A,,B", 2, u"B"},
      {"empty list", u"", 0, u""},
      {"single item", u"A", 0, u"A"},
      {"single item, past it", u"A", 1, u""},
      {"trailing comma", u"A,", 1, u""},
  };
  for (const auto& c : cases) EXPECT_EQ(ListItemByOracle(c.list, c.index), c.item) << c.why;
}

// The handler fuzzer's files are split the way real story files are.
TEST(FuzzOracle, MemoryTextInputSplitsLikeAStoryFile) {
  const struct {
    const char* why;
    std::u16string text;
    std::vector<std::u16string> lines;
  } cases[] = {
      {"CR LF", u"a\r\nb\r\n", {u"a", u"b"}},
      {"lone CR ends a line", u"a\rb", {u"a", u"b"}},
      {"lone LF stays", u"a\nb\r\n", {u"a\nb"}},
      {"no break at the end", u"a\r\nb", {u"a", u"b"}},
      {"two breaks at the end", u"a\r\n\r\n", {u"a", u""}},
      {"CR CR LF", u"a\r\r\n", {u"a", u""}},
      {"empty text", u"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(MemoryTextInput::SplitLines(c.text), c.lines) << c.why;
}

// Found by the handler fuzzer (its check was too strict, the program right):
// opening a story whose first line ends in a bare "??" replaces a pending
// choice with an empty list, which ends the choice without a key.
TEST(FuzzRegression, BareChoiceMarkerOnAFreshStoryEndsThePendingChoice) {
  const std::u16string story = u"Pick??[a],[b]\r\nFresh start??\r\n[a]a\r\n";
  const std::vector<uint8_t> input =
      ev::Encode(story, {ev::Down(), ev::Open(ev::Answer::StoryTail), ev::Down(), ev::Digit(1)});
  EXPECT_EQ(RunStoryEvents(input.data(), input.size()), "");

  StoryState state;
  HeadlessWindow window;
  MemoryTextInput files;
  files.AddFile("first.vln", {MemoryTextInput::SplitLines(story), {}});
  files.AddFile("second.vln", {{u"Fresh start??", u"[a]a"}, {}});
  frmMain form(state, window, files);
  window.QueueDialogAnswer("first.vln");
  form.Form_KeyDown(VirtualKey::Down, 0);
  ASSERT_EQ(state.ChoiceList, u"[a],[b]");
  window.QueueDialogAnswer("second.vln");
  form.mnuFileOpen_Click();
  EXPECT_EQ(state.ChoiceList, u"");
  EXPECT_EQ(window.CurrentCaption(), u"Fresh start");
  form.Form_KeyDown(VirtualKey::Down, 0);
  EXPECT_EQ(window.CurrentCaption(), u"a") << "Down reads on: no choice is pending";
}

}  // namespace
