#pragma once

#include <algorithm>
#include <random>
#include <string>

// A story as an author writes one, for timing the author's tool: `passages`
// labelled passages of `linesEach` lines. Most ways lead a few passages on,
// one in twenty anywhere; the last line of each passage offers a choice,
// jumps, jumps on a flag or ends.
inline std::u16string GeneratedStory(size_t passages, size_t linesEach) {
  const auto number = [](size_t n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
  };
  std::mt19937 random(7);
  const auto target = [&](size_t from) {
    const size_t to = random() % 20 == 0 ? random() % passages : from + 1 + random() % 5;
    return u"[p" + number(std::min(to, passages - 1)) + u"]";
  };
  std::u16string text;
  for (size_t p = 0; p < passages; ++p) {
    text += u"[p" + number(p) + u"]駅のホームに、冷たい風が吹いている。\r\n";
    for (size_t line = 2; line < linesEach; ++line) {
      text += line == 2 ? u"遠くで汽笛が鳴った。::AON\r\n" : u"ベンチに座って、列車を待つ。\r\n";
    }
    switch (random() % 10) {
      case 0: text += u"ここで終わる。::END\r\n"; break;
      case 1: case 2: text += u"進む。>>" + target(p) + u"\r\n"; break;
      case 3: case 4: case 5: text += u"乗るか。>>A" + target(p) + u"," + target(p) + u"\r\n"; break;
      default: text += u"どうする？??" + target(p) + u"," + target(p) + u"," + target(p) + u"\r\n";
    }
  }
  return text;
}
