#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/vln/play/PlayEvent.h"

namespace {

using Kind = PlayEvent::Kind;

struct GoodEvent {
  const char* word;
  Kind kind;
  uint16_t keyCode;
  int16_t shift;
  const char* path;
  const char* reason;
};

TEST(ParsePlayEvent, KnownEvents) {
  const std::vector<GoodEvent> rows = {
      {"open", Kind::Open, 0, 0, "", "the Open menu command"},
      {"exit", Kind::Exit, 0, 0, "", "the Exit menu command"},
      {"cancel", Kind::Cancel, 0, 0, "", "cancels the next dialog"},
      {"file:other.vln", Kind::File, 0, 0, "other.vln", "the path follows the colon"},
      {"file:a:b c.vln", Kind::File, 0, 0, "a:b c.vln", "colons and spaces stay in the path"},
      {"down", Kind::Key, 40, 0, "", "Down arrow"},
      {"up", Kind::Key, 38, 0, "", "Up arrow"},
      {"space", Kind::Key, 32, 0, "", "Space bar"},
      {"enter", Kind::Key, 13, 0, "", "Enter"},
      {"1", Kind::Key, 49, 0, "", "main-row 1"},
      {"5", Kind::Key, 53, 0, "", "main-row 5"},
      {"kp1", Kind::Key, 97, 0, "", "keypad 1"},
      {"kp5", Kind::Key, 101, 0, "", "keypad 5"},
      {"key:0", Kind::Key, 0, 0, "", "smallest code"},
      {"key:65535", Kind::Key, 65535, 0, "", "largest code"},
      {"key:0040", Kind::Key, 40, 0, "", "leading zeros are still a number"},
      {"shift+down", Kind::Key, 40, 1, "", "Shift is bit 1"},
      {"ctrl+3", Kind::Key, 51, 2, "", "Ctrl is bit 2"},
      {"alt+kp2", Kind::Key, 98, 4, "", "Alt is bit 4"},
      {"alt+shift+ctrl+key:65", Kind::Key, 65, 7, "", "modifiers combine in any order"},
  };
  for (const GoodEvent& row : rows) {
    const auto event = ParsePlayEvent(row.word);
    ASSERT_TRUE(event.has_value()) << row.word << ": " << row.reason;
    EXPECT_EQ(event->EventKind, row.kind) << row.reason;
    EXPECT_EQ(event->Word, row.word) << row.reason;
    EXPECT_EQ(event->KeyCode, row.keyCode) << row.reason;
    EXPECT_EQ(event->Shift, row.shift) << row.reason;
    EXPECT_EQ(event->Path, row.path) << row.reason;
  }
}

TEST(ParsePlayEvent, BadEvents) {
  const std::vector<std::pair<const char*, const char*>> rows = {
      {"", "nothing at all"},
      {"Down", "words are lower case"},
      {"6", "only five digit keys answer a choice"},
      {"kp0", "keypad digits run 1 to 5"},
      {"key:", "a key code needs digits"},
      {"key:65536", "beyond 16 bits"},
      {"key:99999999999999999999", "far beyond 16 bits without overflowing"},
      {"key:-1", "no sign"},
      {"key:4a", "digits only"},
      {"shift+", "a modifier needs a key"},
      {"shift+open", "menu commands take no modifiers"},
      {"ctrl+file:x.vln", "file: takes no modifiers"},
      {"file:", "a dialog cannot answer an empty name"},
      {"open ", "no trailing space on the command line"},
      {"meta+down", "unknown modifier"},
  };
  for (const auto& [word, reason] : rows) {
    EXPECT_FALSE(ParsePlayEvent(word).has_value()) << '"' << word << "\": " << reason;
  }
}

}  // namespace
