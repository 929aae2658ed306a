#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/StoryDecoder.h"
#include "tests/Cp932Reference.h"

namespace {

using namespace std::string_view_literals;

TEST(StoryDecoder, DetectsTheEncoding) {
  const struct {
    const char* why;
    std::string_view bytes;
    StoryEncoding encoding;
  } cases[] = {
      {"UTF-8 mark", "\xEF\xBB\xBF" "abc"sv, StoryEncoding::Utf8},
      {"UTF-8 mark before bytes that are not UTF-8", "\xEF\xBB\xBF\x82\xA0"sv,
       StoryEncoding::Utf8},
      {"UTF-16LE mark", "\xFF\xFE" "a\0"sv, StoryEncoding::Utf16LE},
      {"UTF-16BE mark", "\xFE\xFF\0a"sv, StoryEncoding::Utf16BE},
      {"valid UTF-8 with Japanese, no mark", "\xE3\x81\x82"sv, StoryEncoding::Utf8},
      {"valid UTF-8 after much ASCII", "[a]b::AON\r\n\xE3\x81\x82"sv, StoryEncoding::Utf8},
      {"ASCII only: code page 932, which reads it the same", "plain\r\n"sv,
       StoryEncoding::Cp932},
      {"empty", ""sv, StoryEncoding::Cp932},
      {"code page 932 Japanese", "\x82\xA0\x82\xA2"sv, StoryEncoding::Cp932},
      {"UTF-8 spoiled by one later byte", "\xE3\x81\x82\x82\xA0"sv, StoryEncoding::Cp932},
      {"overlong form is not UTF-8", "\xC0\xAF"sv, StoryEncoding::Cp932},
      {"encoded surrogate is not UTF-8", "\xED\xA0\x80"sv, StoryEncoding::Cp932},
      {"past U+10FFFF is not UTF-8", "\xF4\x90\x80\x80"sv, StoryEncoding::Cp932},
      {"UTF-8 cut off at the end is not UTF-8", "\xE3\x81\x82\xE3\x81"sv, StoryEncoding::Cp932},
      {"a lone FF is no mark", "\xFF" "a"sv, StoryEncoding::Cp932},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DetectStoryEncoding(c.bytes), c.encoding) << c.why;
  }
}

TEST(StoryDecoder, DecodesEachEncoding) {
  const struct {
    const char* why;
    std::string_view bytes;
    std::u16string_view text;
  } cases[] = {
      // Code page 932, with the codes where Windows differs from plain Shift-JIS.
      {"hiragana", "\x82\xA0\x82\xA2\x82\xA4"sv, u"あいう"},
      {"NEC row 13: circled digit, Roman numeral, parenthesised KK", "\x87\x40\x87\x54\x87\x8A"sv,
       u"①Ⅰ㈱"},
      {"IBM extension row: 髙 and small roman one", "\xFB\xFC\xFA\x40"sv, u"髙ⅰ"},
      {"NEC-selected IBM extension row", "\xED\x40"sv, u"纊"},
      {"half-width katakana", "\xB1\xB2\xDF"sv, u"ｱｲﾟ"},
      {"0x5C is a backslash, 0x7E a tilde", "a\x5C" "b\x7E\x82\xA0"sv, u"a\\b~あ"},
      {"wave dash and not sign as Windows maps them", "\x81\x60\x81\xCA\x82\xA0"sv, u"～￢あ"},
      {"control bytes stay as they are", "\x1A\x1C\x7F\x82\xA0"sv, u"\x1A\x1C\x7Fあ"},
      // Which single bytes are no code differs between the systems' tables;
      // the comparison with the converter below covers each one.
      {"lead byte and second byte that make no code", "\x82\xA0\x85\x40"sv, u"あ\uFFFD@"},
      {"lead byte with a wrong second byte: one replacement, then the byte", "\x82\xA0\x82 x"sv,
       u"あ\uFFFD x"},
      {"lead byte cut off at the end", "\x82\xA0\x82"sv, u"あ\uFFFD"},
      {"NUL bytes are characters", "\x82\xA0\0\0"sv, u"あ\0\0"sv},
      // UTF-8.
      {"UTF-8 without a mark", "\xE6\x98\x9F\xE3\x81\xAE\xE9\xA7\x85"sv, u"星の駅"},
      {"UTF-8 mark dropped", "\xEF\xBB\xBF\xE6\x98\x9F"sv, u"星"},
      {"mark alone", "\xEF\xBB\xBF"sv, u""},
      {"outside the BMP: a surrogate pair", "\xF0\x9F\x98\x80"sv, u"\U0001F600"},
      {"after a mark a bad byte is one replacement", "\xEF\xBB\xBF" "a\xFF" "b"sv,
       u"a\uFFFDb"},
      {"after a mark a cut-off sequence: one per byte", "\xEF\xBB\xBF" "a\xE3\x81"sv,
       u"a\uFFFD\uFFFD"},
      {"ASCII long enough for the fast path", "0123456789abcdef\xE3\x81\x82xyz"sv,
       u"0123456789abcdefあxyz"},
      // UTF-16.
      {"UTF-16LE, mark dropped", "\xFF\xFE\x42\x30\x0D\x00\x0A\x00"sv, u"あ\r\n"},
      {"UTF-16BE, mark dropped", "\xFE\xFF\x30\x42\x00\x0D"sv, u"あ\r"},
      {"UTF-16 pair kept", "\xFF\xFE\x3D\xD8\x00\xDE"sv, u"\U0001F600"},
      {"UTF-16 lone surrogate", "\xFF\xFE\x3D\xD8" "a\0"sv, u"\uFFFDa"},
      {"UTF-16 odd last byte", "\xFF\xFE" "a\0b"sv, u"a\uFFFD"},
      {"empty", ""sv, u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeStory(c.bytes), c.text) << c.why;
  }
}

// Each text forces the code page 932 path: "\x82\xA0" (あ) is no UTF-8.
TEST(StoryDecoder, ReadsEveryCodeAsTheConverterDoes) {
  std::string everyPair;
  for (unsigned lead = 0; lead < 256; ++lead) {
    for (unsigned trail = 0; trail < 256; ++trail) {
      everyPair = "\x82\xA0";
      everyPair += static_cast<char>(lead);
      everyPair += static_cast<char>(trail);
      ASSERT_EQ(DecodeStory(everyPair), DecodeWithConverterAlone(everyPair))
          << "bytes " << lead << " " << trail;
    }
  }
  // All-ASCII text takes the UTF-8 way, which is only right while the
  // converter maps every ASCII byte to itself.
  std::string ascii;
  for (int byte = 0; byte < 0x80; ++byte) ascii += static_cast<char>(byte);
  EXPECT_EQ(DecodeStory(ascii), DecodeWithConverterAlone(ascii));
  std::string junk = "\x82\xA0";
  uint32_t seed = 7;
  for (int i = 0; i < 200000; ++i) {
    seed = seed * 1664525u + 1013904223u;
    junk += static_cast<char>(seed >> 24);
  }
  EXPECT_EQ(DecodeStory(junk), DecodeWithConverterAlone(junk));
}

// The file input sizes its buffer and judges a file's size by this bound, so
// no input may decode to more.
TEST(StoryDecoder, NeverWritesMoreThanTheBound) {
  const std::string_view heads[] = {""sv, "\xEF\xBB\xBF"sv, "\xFF\xFE"sv, "\xFE\xFF"sv,
                                    "\xF0\x9F\x98\x80"sv, "\x82\xA0"sv};
  uint32_t seed = 99;
  for (const auto head : heads) {
    for (int round = 0; round < 200; ++round) {
      std::string bytes(head);
      const int length = round % 37;
      for (int i = 0; i < length; ++i) {
        seed = seed * 1664525u + 1013904223u;
        // Half the rounds stay within four-byte UTF-8 sequences, the most
        // units per byte; the others are anything.
        bytes += round % 2 == 0 ? "\xF0\x9F\x98\x80"[i % 4] : static_cast<char>(seed >> 24);
      }
      const std::u16string text = DecodeStory(bytes);
      EXPECT_LE(text.size(), MaxDecodedLength(bytes.substr(0, 3), bytes.size()))
          << "round " << round;
    }
  }
}

}  // namespace

// What the page saves a Shift-JIS story with: every unit a code reads as is
// written as a code that reads back as that unit, and a unit no code gives
// stops the writing at its index rather than becoming a guess.
TEST(StoryDecoder, WritesCodePage932SoItReadsBack) {
  for (unsigned lead = 0; lead < 256; ++lead) {
    for (unsigned trail = 0; trail < 256; ++trail) {
      std::string code(1, static_cast<char>(lead));
      code += static_cast<char>(trail);
      const std::u16string read = DecodeStory("\x82\xA0" + code);
      // Bytes that are no code read as U+FFFD, which no code gives back.
      if (read.find(u'\uFFFD') != std::u16string::npos) continue;
      std::string written;
      ASSERT_EQ(EncodeCp932(read, written), std::u16string_view::npos) << "bytes " << lead << " " << trail;
      ASSERT_EQ(DecodeStory(written), read) << "bytes " << lead << " " << trail;
    }
  }
  const struct {
    const char* why;
    std::u16string_view text;
    size_t missing;
    std::string_view bytes;
  } cases[] = {
      {"kana and kanji, CR LF", u"あ漢\r\nｱ", std::u16string_view::npos, "\x82\xA0\x8A\xBF\r\n\xB1"sv},
      {"a lone line feed stays one byte", u"a\nb", std::u16string_view::npos, "a\nb"sv},
      {"a backslash is the byte 5C", u"\\", std::u16string_view::npos, "\x5C"sv},
      {"NUL", std::u16string_view(u"\0", 1), std::u16string_view::npos, "\0"sv},
      {"an emoji has no code", u"あ\U0001F600", 1, "\x82\xA0"sv},
      {"nor has é", u"café", 3, "caf"sv},
      {"nor a replacement character", u"\uFFFD", 0, ""sv},
  };
  for (const auto& c : cases) {
    std::string written;
    EXPECT_EQ(EncodeCp932(c.text, written), c.missing) << c.why;
    EXPECT_EQ(written, c.bytes) << c.why;
  }
}
