#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/vln/reading/JsonText.h"
#include "tools/vln/reading/ReadableText.h"
#include "tools/vln/reading/Utf8.h"

namespace {

struct JsonRow {
  std::u16string text;
  std::string json;
  const char* reason;
};

TEST(AppendJsonString, EscapesAsJsonRequires) {
  const std::vector<JsonRow> rows = {
      {u"", "\"\"", "empty string"},
      {u"plain", "\"plain\"", "ASCII passes"},
      {u"a\"b\\c", "\"a\\\"b\\\\c\"", "quote and backslash"},
      {u"\r\n\t\b\f", "\"\\r\\n\\t\\b\\f\"", "short escapes"},
      {std::u16string(1, u'\0') + u"\x1f", "\"\\u0000\\u001f\"", "other controls as \\u"},
      {u"\x7f/", "\"\x7f/\"", "DEL and slash need no escape"},
      {u"朝だ", "\"\xe6\x9c\x9d\xe3\x81\xa0\"", "Japanese as UTF-8"},
      {u"ｶ", "\"\xef\xbd\xb6\"", "half-width katakana as UTF-8"},
      {u"\U0001F600", "\"\xf0\x9f\x98\x80\"", "a pair becomes one four-byte character"},
      {std::u16string(1, u'\xD83D'), "\"\\ud83d\"", "lone high surrogate"},
      {std::u16string(1, u'\xDE00') + u"x", "\"\\ude00x\"", "lone low surrogate"},
      {std::u16string(1, u'\xDE00') + std::u16string(1, u'\xD83D'), "\"\\ude00\\ud83d\"",
       "low then high is no pair"},
      {u"a" + std::u16string(1, u'\xD83D'), "\"a\\ud83d\"", "high surrogate at the very end"},
  };
  for (const JsonRow& row : rows) {
    std::string out;
    AppendJsonString(out, row.text);
    EXPECT_EQ(out, row.json) << row.reason;
  }
  // For a reader that takes characters only, each lone unit is U+FFFD and a
  // pair stays one character.
  std::string replaced;
  AppendJsonString(replaced, std::u16string(1, u'\xDE00') + u"\U0001F600\"" + std::u16string(1, u'\xD83D'),
                   LoneSurrogates::Replaced);
  EXPECT_EQ(replaced, "\"\xef\xbf\xbd\xf0\x9f\x98\x80\\\"\xef\xbf\xbd\"");
}

TEST(Utf8ToUtf16, MalformedBytesBecomeReplacement) {
  const std::vector<std::pair<std::string, std::u16string>> rows = {
      {"abc", u"abc"},
      {"\xe6\x9c\x9d", u"朝"},
      {"\xf0\x9f\x98\x80", u"\U0001F600"},
      {"\xff", u"\uFFFD"},
      {"\xe6\x9c", u"\uFFFD\uFFFD"},              // cut short
      {"\xc0\xaf", u"\uFFFD\uFFFD"},              // overlong "/"
      {"\xed\xa0\x80", u"\uFFFD\uFFFD\uFFFD"},    // an encoded surrogate
      {"\xf4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"a\x80z", u"a\uFFFDz"},                    // stray continuation byte
  };
  for (const auto& [bytes, expected] : rows) {
    EXPECT_EQ(Utf8ToUtf16(bytes), expected) << "bytes of length " << bytes.size();
  }
}

TEST(ReadableText, OneLineStaysOneLine) {
  const std::vector<std::tuple<std::u16string, std::string, const char*>> rows = {
      {u"朝だ。", "朝だ。", "Japanese unchanged"},
      {u"a\nb", "a\xe2\x90\x8a" "b", "a lone LF shows as its picture"},
      {u"\t", "\xe2\x90\x89", "tab shows as its picture"},
      {std::u16string(1, u'\xD800'), "\xef\xbf\xbd", "lone surrogate as U+FFFD"},
  };
  for (const auto& [text, expected, reason] : rows) {
    EXPECT_EQ(ReadableText(text), expected) << reason;
  }
}

TEST(ReadableExcerpt, CutsLongTextButNeverAPair) {
  EXPECT_EQ(ReadableExcerpt(u"abcdef", 6), "abcdef");
  EXPECT_EQ(ReadableExcerpt(u"abcdefg", 6), "abcdef…");
  // The cut would fall between the two units of the pair.
  EXPECT_EQ(ReadableExcerpt(u"abcde\U0001F600", 6), "abcde…");
}

}  // namespace
