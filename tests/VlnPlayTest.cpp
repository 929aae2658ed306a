#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/VlnFakeFiles.h"
#include "tools/vln/play/PlayCommand.h"
#include "tests/WorkedExample.h"
#include "tools/vln/play/PlayEvent.h"
#include "tools/vln/play/PlayReplay.h"
#include "tools/vln/play/PlayReport.h"
#include "tools/vln/play/PlaySession.h"

namespace {

const std::vector<std::u16string>& WorkedExample = WorkedExampleLines;

struct PlayRun {
  int status = 0;
  std::vector<std::string> lines;
  std::string errors;
};

PlayRun Play(const std::vector<std::string>& args, const std::string& input = "") {
  VlnFakeFiles files;
  files.files["worked.vln"] = WorkedExample;
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  PlayRun run;
  run.status = RunPlay(args, in, out, err, files);
  std::istringstream printed(out.str());
  for (std::string line; std::getline(printed, line);) run.lines.push_back(line);
  run.errors = err.str();
  return run;
}

std::string Field(const std::string& json, const std::string& key) {
  const std::regex pattern("\"" + key + "\":(\"(?:[^\"\\\\]|\\\\.)*\"|\\[[^\\]]*\\]|[^,}]+)");
  std::smatch match;
  if (!std::regex_search(json, match, pattern)) return "<missing " + key + ">";
  return match[1].str();
}

struct Row {
  const char* caption;  // as JSON writes it, quotes included
  const char* pos;
};

void ExpectRows(const PlayRun& run, const std::vector<Row>& rows) {
  ASSERT_EQ(run.status, 0) << run.errors;
  ASSERT_EQ(run.lines.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(Field(run.lines[i], "caption"), rows[i].caption) << "line " << i << ": " << run.lines[i];
    EXPECT_EQ(Field(run.lines[i], "pos"), rows[i].pos) << "line " << i << ": " << run.lines[i];
  }
}

TEST(VlnPlay, WorkedExampleGettingUp) {
  ExpectRows(Play({"--json", "worked.vln", "open", "down", "1", "down", "down", "down", "down",
                  "down"}),
             {
                 {"\"Velnori\"", "0"},
                 {"\"Morning. The alarm rings.\"", "35"},
                 {"\"Get up or sleep on\"", "69"},
                 {"\"You get up.\"", "91"},
                 {"\"You leave the house.\"", "147"},
                 {"\"\"", "149"},
                 {"\"On the road.\"", "182"},
                 {"\"\"", "184"},
                 {"\"You catch the bus.\"", "0"},
             });
}

TEST(VlnPlay, ReplayFromOpenStartsWhereItIsAsked) {
  VlnFakeFiles files;
  files.files["worked.vln"] = WorkedExample;
  files.files["empty.vln"] = {};
  std::u16string text;
  for (const std::u16string& line : WorkedExample) text += line + u"\r\n";
  const auto sleep = static_cast<int32_t>(text.find(u"\r\n[sleep]") + 3);
  struct Row {
    const char* why;
    std::string story;
    std::vector<std::string> events;
    std::optional<int32_t> from;
    std::vector<std::string> steps;  // event, caption and read position of each
  };
  const std::vector<Row> rows = {
      {"from the first line", "worked.vln", {"down"}, std::nullopt,
       {"start Morning. The alarm rings. 35", "down Get up or sleep on 69"}},
      {"from a line further on", "worked.vln", {"down", "down"}, sleep,
       {"start Morning. The alarm rings. " + std::to_string(sleep), "down You sleep on. 149",
        "down On the road. 212"}},
      {"nothing once the reader is closed", "worked.vln", {"exit", "down"}, std::nullopt,
       {"start Morning. The alarm rings. 35", "exit Morning. The alarm rings. 35"}},
      {"an empty story has no line to start from", "empty.vln", {"down"}, 5, {"start Velnori 1", "down Velnori 1"}},
  };
  for (const Row& row : rows) {
    std::vector<PlayEvent> events;
    for (const std::string& word : row.events) events.push_back(*ParsePlayEvent(word));
    std::vector<std::string> steps;
    for (const PlayStep& step : ReplayFromOpen(row.story, files, events, row.from)) {
      steps.push_back(step.Event + " " + PlayTextLine(step).substr(0, PlayTextLine(step).find("  ")) + " " +
                      std::to_string(step.Pos));
    }
    EXPECT_EQ(steps, row.steps) << row.why;
  }
}

TEST(VlnPlay, JsonLinesHoldExactlyTheAgreedKeys) {
  const PlayRun run = Play({"--json", "worked.vln", "open", "down"});
  ASSERT_EQ(run.lines.size(), 3u);
  EXPECT_EQ(run.lines[0],
            "{\"event\":\"start\",\"caption\":\"Velnori\",\"pos\":0,\"choice\":\"\","
            "\"flags\":[0,0,0,0,0],\"minimized\":false,\"length\":0,\"message\":null,\"message_title\":null,"
            "\"dialog\":null}");
  EXPECT_EQ(run.lines[1],
            "{\"event\":\"open\",\"caption\":\"Morning. The alarm rings.\",\"pos\":35,"
            "\"choice\":\"\",\"flags\":[0,0,0,0,0],\"minimized\":false,\"length\":243,"
            "\"message\":null,\"message_title\":null,\"dialog\":{\"title\":\"ファイルを開く\",\"filter\":"
            "\"Velnoriファイル(*.vln)|*.vln\",\"filter_index\":1,\"file_name\":\"\",\"flags\":4}}");
  EXPECT_EQ(Field(run.lines[2], "choice"), "\"[up],[sleep]\"");
  EXPECT_EQ(Field(run.lines[2], "dialog"), "null");
}

// Each row: a script, then what the last event leaves behind.
struct KeyRow {
  std::vector<std::string> events;
  const char* caption;
  const char* pos;
  const char* choice;
  const char* minimized;
  const char* reason;
};

TEST(VlnPlay, EveryKindOfKeyGoesThroughTheHandler) {
  const std::vector<KeyRow> rows = {
      {{"down"}, "\"Morning. The alarm rings.\"", "35", "\"\"", "false",
       "Down with no story opens one"},
      {{"open", "up"}, "\"Morning. The alarm rings.\"", "35", "\"\"", "false", "Up does nothing"},
      {{"open", "enter"}, "\"Morning. The alarm rings.\"", "35", "\"\"", "false",
       "Enter does nothing"},
      {{"open", "key:40"}, "\"Get up or sleep on\"", "69", "\"[up],[sleep]\"", "false",
       "key:40 is the Down arrow"},
      {{"open", "shift+ctrl+alt+down"}, "\"Get up or sleep on\"", "69", "\"[up],[sleep]\"",
       "false", "modifiers never change a key"},
      {{"open", "down", "down"}, "\"Get up or sleep on\"", "69", "\"[up],[sleep]\"", "false",
       "Down is ignored while a choice is pending"},
      {{"open", "down", "3"}, "\"Get up or sleep on\"", "69", "\"[up],[sleep]\"", "false",
       "a key with no item leaves the choice pending"},
      {{"open", "down", "kp2"}, "\"You sleep on.\"", "149", "\"\"", "false",
       "keypad 2 picks the second item"},
      {{"open", "down", "ctrl+kp1"}, "\"You get up.\"", "91", "\"\"", "false",
       "keypad 1 with Ctrl picks the first"},
      {{"open", "down", "space"}, "\"Get up or sleep on\"", "69", "\"[up],[sleep]\"", "true",
       "Space minimizes even while choosing"},
      {{"open", "space", "down"}, "\"Get up or sleep on\"", "69", "\"[up],[sleep]\"", "true",
       "the story goes on while minimized"},
      {{"open", "down", "1", "open"}, "\"Morning. The alarm rings.\"", "35", "\"\"", "false",
       "open starts the story again"},
  };
  for (const KeyRow& row : rows) {
    std::vector<std::string> args = {"--json", "worked.vln"};
    args.insert(args.end(), row.events.begin(), row.events.end());
    const PlayRun run = Play(args);
    ASSERT_EQ(run.status, 0) << row.reason;
    ASSERT_EQ(run.lines.size(), row.events.size() + 1) << row.reason;
    const std::string& last = run.lines.back();
    EXPECT_EQ(Field(last, "caption"), row.caption) << row.reason;
    EXPECT_EQ(Field(last, "pos"), row.pos) << row.reason;
    EXPECT_EQ(Field(last, "choice"), row.choice) << row.reason;
    EXPECT_EQ(Field(last, "minimized"), row.minimized) << row.reason;
    EXPECT_EQ(Field(last, "event"), "\"" + row.events.back() + "\"") << row.reason;
  }
}

TEST(VlnPlay, CancelledDialogShowsTheReadersMessageOnce) {
  const PlayRun run = Play({"--json", "worked.vln", "open", "cancel", "open", "open"});
  ASSERT_EQ(run.lines.size(), 5u);
  EXPECT_EQ(Field(run.lines[2], "message"), "null") << "cancel itself shows nothing";
  EXPECT_EQ(Field(run.lines[2], "dialog"), "null");
  // The story read before is gone, the caption keeps its last line.
  EXPECT_EQ(Field(run.lines[3], "message"), "\"ファイルが開けません\"");
  EXPECT_EQ(Field(run.lines[3], "caption"), "\"Morning. The alarm rings.\"");
  EXPECT_EQ(Field(run.lines[3], "length"), "0");
  EXPECT_EQ(Field(run.lines[3], "pos"), "1");
  EXPECT_NE(Field(run.lines[3], "dialog"), "null") << "the dialog was shown before it was cancelled";
  // Only the next dialog was cancelled.
  EXPECT_EQ(Field(run.lines[4], "message"), "null");
  EXPECT_EQ(Field(run.lines[4], "pos"), "35");
}

TEST(VlnPlay, ChoiceLandingInsideAPairWritesTheLoneSurrogate) {
  VlnFakeFiles files;
  files.files["pair.vln"] = {u"\U0001F600\U0001F600\U0001F600", u"Pick??[zz]"};
  std::istringstream in;
  std::ostringstream out, err;
  ASSERT_EQ(RunPlay({"--json", "pair.vln", "down", "down", "1"}, in, out, err, files), 0);
  std::istringstream printed(out.str());
  std::vector<std::string> lines;
  for (std::string line; std::getline(printed, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(Field(lines[1], "caption"), "\"\xf0\x9f\x98\x80\xf0\x9f\x98\x80\xf0\x9f\x98\x80\"");
  // "[zz]" begins no line: the landing is 2 + 4 units from the start, on the
  // low half of the third pair.
  EXPECT_EQ(Field(lines[3], "caption"), "\"\\ude00\"");
  EXPECT_EQ(Field(lines[3], "pos"), "9");
}

TEST(VlnPlay, BadEventsOnTheCommandLineRunNothing) {
  const PlayRun run = Play({"--json", "worked.vln", "open", "jump", "down", "key:70000"});
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(run.lines.empty()) << "nothing may run before all events are checked";
  EXPECT_NE(run.errors.find("\"jump\""), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find("\"key:70000\""), std::string::npos) << run.errors;
}

TEST(VlnPlay, UsageErrors) {
  const std::vector<std::pair<std::vector<std::string>, const char*>> rows = {
      {{}, "no story"},
      {{"--json"}, "an option but no story"},
      {{"--jsn", "worked.vln"}, "an unknown option"},
  };
  for (const auto& [args, reason] : rows) {
    const PlayRun run = Play(args);
    EXPECT_EQ(run.status, 2) << reason;
    EXPECT_TRUE(run.lines.empty()) << reason;
    EXPECT_FALSE(run.errors.empty()) << reason;
  }
  // After "--" a story name may begin with a dash.
  EXPECT_EQ(Play({"--", "-odd.vln", "down"}).status, 0);
}

TEST(VlnPlay, EventsFromInputRunOneByOneAndSkipBadLines) {
  const PlayRun run = Play({"--json", "worked.vln"}, "open\r\n\n  down  \nwat\n1\nexit\ndown\n");
  EXPECT_EQ(run.status, 2) << "a bad line still fails the run";
  ASSERT_EQ(run.lines.size(), 5u) << "start, open, down, 1, exit";
  EXPECT_EQ(Field(run.lines[1], "event"), "\"open\"");
  EXPECT_EQ(Field(run.lines[2], "event"), "\"down\"");
  EXPECT_EQ(Field(run.lines[3], "caption"), "\"You get up.\"");
  EXPECT_EQ(Field(run.lines[4], "event"), "\"exit\"");
  EXPECT_NE(run.errors.find("\"wat\" on input line 4"), std::string::npos) << run.errors;
}

TEST(VlnPlay, TextOutputMarksWhatTheCaptionCannotShow) {
  const PlayRun run = Play({"worked.vln", "cancel", "down", "down", "down", "1", "space", "down",
                           "down", "down", "down", "down", "exit"});
  ASSERT_EQ(run.status, 0);
  const std::vector<std::string> expected = {
      "Velnori  <no story>",
      "Velnori  <no story>",
      "Velnori  <message \"ファイルが開けません\"> <no story>",
      "Morning. The alarm rings.",
      "Get up or sleep on  <choice [up],[sleep]>",
      "You get up.",
      "You get up.  <minimized>",
      "You leave the house.  <minimized>",
      "  <minimized>",
      "On the road.  <minimized>",
      "  <minimized>",
      "You catch the bus.  <stopped> <minimized>",
      "You catch the bus.  <stopped> <minimized> <exit>",
  };
  EXPECT_EQ(run.lines, expected);
}

}  // namespace
