#include "platform/WindowCaption.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr size_t Max = MaxWindowCaptionLength;
constexpr char16_t High = 0xD83D;  // U+1F600 is D83D DE00
constexpr char16_t Low = 0xDE00;

std::u16string Filled(size_t length) { return std::u16string(length, u'あ'); }

std::u16string WithPairAt(size_t length, size_t at) {
  std::u16string text = Filled(length);
  text[at] = High;
  text[at + 1] = Low;
  return text;
}

struct CaptionCase {
  const char* why;
  std::u16string caption;
  size_t expected;
};

TEST(WindowCaption, CutsLongCaptionsAtCharacterBoundaries) {
  const CaptionCase cases[] = {
      {"empty stays empty", u"", 0},
      {"short caption whole", u"朝の駅", 3},
      {"exactly the limit whole", Filled(Max), Max},
      {"one over is cut", Filled(Max + 1), Max},
      {"megabytes are cut", Filled(3'000'000), Max},
      {"pair across the cut is left out whole", WithPairAt(Max + 10, Max - 1), Max - 1},
      {"pair ending at the cut is kept", WithPairAt(Max + 10, Max - 2), Max},
      {"pair at the very end of a fitting caption is kept", WithPairAt(Max, Max - 2), Max},
      {"lone low surrogate at the cut is kept", Filled(Max + 1).replace(Max - 1, 1, 1, Low), Max},
  };
  for (const CaptionCase& c : cases) {
    const std::u16string_view shown = WindowCaption(c.caption);
    EXPECT_EQ(shown.size(), c.expected) << c.why;
    EXPECT_EQ(shown, std::u16string_view(c.caption).substr(0, shown.size())) << c.why;
  }
}

}  // namespace
