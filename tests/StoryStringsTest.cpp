#include "story/StoryStrings.h"

#include <gtest/gtest.h>

#include "tests/StoryTestSupport.h"

namespace {

struct FindCase {
  const char *why;
  int64_t start;
  std::u16string text;
  std::u16string what;
  int64_t expected;
};

TEST(StoryFind, PositionsAreOneBasedAndZeroMeansAbsent) {
  const FindCase cases[] = {
      {"first unit", 1, u"abc", u"a", 1},
      {"last unit", 1, u"abc", u"c", 3},
      {"absent", 1, u"abc", u"x", 0},
      {"start skips an earlier match", 2, u"abab", u"ab", 3},
      {"start on the match", 3, u"abab", u"ab", 3},
      {"start beyond the end", 5, u"abab", u"ab", 0},
      {"start one past the end", 4, u"abc", u"c", 0},
      {"pattern longer than the rest", 3, u"abcd", u"cde", 0},
      {"pattern runs off the end", 1, u"abc", u"bcd", 0},
      {"first and last unit match, middle does not", 1, u"axc abc", u"abc", 5},
      {"overlapping candidates", 1, u"aaab", u"aab", 2},
      {"one-unit pattern equal first and last", 1, u"xxax", u"a", 3},
      {"empty text", 1, u"", u"a", 0},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(StoryFind(c.start, c.text, c.what), c.expected) << c.why;
  }
}

// The block search looks at eight positions at a time; a match must be found
// wherever it falls relative to those blocks and to the end of the text.
TEST(StoryFind, FindsEveryPlacementAroundBlockEdges) {
  const std::u16string pattern = u"\r\n[road]";
  // Near-misses on the first unit alone, and on the first and last units
  // with the middle wrong.
  for (const std::u16string fill : {u"\r", u"\r\n[rxad]"}) {
    for (size_t length = pattern.size(); length < 48; ++length) {
      for (size_t at = 0; at + pattern.size() <= length; ++at) {
        std::u16string text;
        while (text.size() < length)
          text += fill;
        text.resize(length);
        text.replace(at, pattern.size(), pattern);
        EXPECT_EQ(StoryFind(1, text, pattern), static_cast<int64_t>(at) + 1)
            << "length " << length << " at " << at;
        // Searching from just after the match finds nothing more.
        EXPECT_EQ(StoryFind(static_cast<int64_t>(at) + 2, text, pattern), 0);
      }
    }
  }
}

// With two places to find, the first is found, wherever the steps of the
// search fall: the last step of a short text goes back over some it passed.
TEST(StoryFind, FindsTheFirstOfTwo) {
  for (const std::u16string pattern : {u"]", u"??", u">>A", u"\r\n[road]"}) {
    for (size_t length = pattern.size() * 2; length < 40; ++length) {
      for (size_t first = 0; first + pattern.size() <= length; ++first) {
        for (size_t second = first + pattern.size(); second + pattern.size() <= length; ++second) {
          std::u16string text(length, u'x');
          text.replace(first, pattern.size(), pattern);
          text.replace(second, pattern.size(), pattern);
          ASSERT_EQ(StoryFind(1, text, pattern), static_cast<int64_t>(first) + 1)
              << "length " << length << " at " << first << " and " << second;
          // And from just past the first, the second.
          ASSERT_EQ(StoryFind(static_cast<int64_t>(first + pattern.size()) + 1, text, pattern),
                    static_cast<int64_t>(second) + 1)
              << "length " << length << " at " << first << " and " << second;
        }
      }
    }
  }
}

TEST(StoryTrim, RemovesOnlyPlainAndIdeographicSpaces) {
  const struct {
    std::u16string text;
    std::u16string expected;
  } cases[] = {
      {u"  a b  ", u"a b"},
      {u"\u3000\u3000見出し\u3000", u"見出し"},
      {u" \u3000 mixed \u3000 ", u"mixed"},
      {u"\ta\t", u"\ta\t"},
      {u"   ", u""},
      {u"", u""},
  };
  for (const auto &c : cases)
    EXPECT_EQ(std::u16string(StoryTrim(c.text)), c.expected);
}

TEST(StoryMid, OutOfRangeGivesEmpty) {
  EXPECT_EQ(StoryMid(u"abc", 4), u"");
  EXPECT_EQ(StoryMid(u"abc", 3), u"c");
  EXPECT_EQ(StoryMid(u"abc", 2, 10), u"bc");
  EXPECT_EQ(StoryLeft(u"abc", 0), u"");
  EXPECT_EQ(StoryLeft(u"abc", 5), u"abc");
}

TEST(StoryUpperCase, ChangesAsciiLettersOnly) {
  EXPECT_EQ(StoryUpperCase(u"aOn eNd ｅｎｄ ä"), u"AON END ｅｎｄ ä");
}

} // namespace
