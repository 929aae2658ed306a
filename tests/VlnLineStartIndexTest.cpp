#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "story/StoryStrings.h"
#include "tools/vln/reading/LineStartIndex.h"

namespace {

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
  };
  for (const auto& [text, reason] : texts) {
    const LineStartIndex index(text);
    std::vector<std::u16string> targets = {u"", u"zzz", u"tail without break!", u"\r", u"\n"};
    for (size_t i = 0; i < text.size(); ++i) {
      for (size_t n = 1; n <= 8 && i + n <= text.size(); ++n) targets.push_back(text.substr(i, n));
    }
    for (const std::u16string& target : targets) {
      const bool searched = StoryFind(1, text, u"\r\n" + target) > 0;
      EXPECT_EQ(index.Begins(target), searched)
          << reason << ": target of " << target.size() << " units at "
          << text.find(target);
    }
  }
}

}  // namespace
