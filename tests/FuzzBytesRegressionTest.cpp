#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/StoryBytesHarness.h"
#include "fuzz/Utf8Oracle.h"

namespace {

namespace fs = std::filesystem;

// Every byte seed must pass the decoding harness, or the fuzzer would start
// from a crash.
TEST(FuzzCorpus, ByteSeedsKeepEveryRule) {
  const char* root = std::getenv("VELNORI_SOURCE_DIR");
  ASSERT_NE(root, nullptr);
  int seeds = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(root) / "fuzz/corpus/story_bytes")) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
    EXPECT_EQ(CheckStoryBytes(bytes.data(), bytes.size()), "") << entry.path();
    ++seeds;
  }
  EXPECT_GT(seeds, 0);
}

// The round-trip check only holds for what the oracle calls valid UTF-8, so
// the oracle must refuse every form the standard refuses.
TEST(FuzzOracle, IsValidUtf8) {
  const struct {
    const char* why;
    std::string bytes;
    bool valid;
  } cases[] = {
      {"ASCII", "abc\r\n", true},
      {"two-byte", "\xC3\xA9", true},
      {"three-byte", "\xE3\x81\x82", true},
      {"four-byte", "\xF0\x9F\x98\x80", true},
      {"largest code point", "\xF4\x8F\xBF\xBF", true},
      {"overlong slash", "\xC0\xAF", false},
      {"overlong three-byte", "\xE0\x80\xAF", false},
      {"encoded surrogate", "\xED\xA0\x80", false},
      {"past U+10FFFF", "\xF4\x90\x80\x80", false},
      {"cut short", "\xE3\x81", false},
      {"lone continuation", "\x80", false},
      {"code page 932 kana", "\x82\xA0", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.why;
}

TEST(FuzzOracle, EncodeUtf8) {
  EXPECT_EQ(EncodeUtf8(u"a\u3042"), "a\xE3\x81\x82");
  EXPECT_EQ(EncodeUtf8(u"\xD83D\xDE00"), "\xF0\x9F\x98\x80") << "a surrogate pair is one character";
  EXPECT_EQ(EncodeUtf8(u"\xD83D"), std::nullopt) << "unpaired high surrogate";
  EXPECT_EQ(EncodeUtf8(u"\xDE00\xD83D"), std::nullopt) << "pair in the wrong order";
}

}  // namespace
