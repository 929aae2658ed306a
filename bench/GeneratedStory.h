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

namespace generated_story_detail {

inline std::u16string Number(size_t n) {
  const std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

inline std::u16string Label(size_t n) { return u"[p" + Number(n) + u"]"; }

}  // namespace generated_story_detail

// Stories of one shape each, for the editor's server, each about `lines`
// lines long. Every line of the first four is reached and none is wrong.

// 5-line passages; the last line offers a choice or jumps on a flag, in
// turn, each way leading on to one of the next two passages.
inline std::u16string ReachableStory(size_t lines) {
  using namespace generated_story_detail;
  const size_t passages = lines / 5;
  std::u16string text;
  for (size_t p = 0; p < passages; ++p) {
    text += Label(p) + u"駅のホームに、冷たい風が吹いている。\r\n";
    text += p % 4 == 0 ? u"遠くで汽笛が鳴った。::AON\r\n" : u"遠くで汽笛が鳴った。\r\n";
    text += u"ベンチに座って、列車を待つ。\r\nホームの灯りが揺れている。\r\n";
    if (p + 2 >= passages) {
      text += p + 1 == passages ? u"ここで終わる。::END\r\n" : u"進む。>>" + Label(p + 1) + u"\r\n";
    } else if (p % 2 == 0) {
      text += u"どうする？??" + Label(p + 1) + u"," + Label(p + 2) + u"\r\n";
    } else {
      text += u"乗るか。>>A" + Label(p + 1) + u"," + Label(p + 2) + u"\r\n";
    }
  }
  return text;
}

// A passage a line: one line in five is a labelled passage that offers a
// choice of the next two; the four after it are each a passage of their own
// that a jump ends, and none of them is reached: a warning for each run
// (`lines` / 5 labels).
inline std::u16string OneLinePassagesStory(size_t lines) {
  using namespace generated_story_detail;
  const size_t labels = lines / 5;
  std::u16string text;
  for (size_t p = 0; p < labels; ++p) {
    if (p + 1 == labels) {
      text += Label(p) + u"終点。::END\r\n";
    } else {
      text += Label(p) + u"どうする？??" + Label(p + 1) + u"," + Label(std::min(p + 2, labels - 1)) + u"\r\n";
    }
    for (int i = 0; i < 4; ++i) text += u"進む。>>" + Label(std::min(p + 1, labels - 1)) + u"\r\n";
  }
  return text;
}

// 6-line passages, each ending in a choice of five whose items lead to the
// next five passages: every passage is reached from five others.
inline std::u16string ChoiceFanStory(size_t lines) {
  using namespace generated_story_detail;
  const size_t passages = lines / 6;
  std::u16string text;
  for (size_t p = 0; p < passages; ++p) {
    text += Label(p) + u"分かれ道に来た。\r\n";
    for (int i = 0; i < 4; ++i) text += u"道は五つに分かれている。\r\n";
    if (p + 1 == passages) {
      text += u"ここで終わる。::END\r\n";
      continue;
    }
    text += u"どの道を行く？??";
    for (size_t k = 1; k <= 5; ++k) {
      text += Label(std::min(p + k, passages - 1));
      text += k < 5 ? u"," : u"\r\n";
    }
  }
  return text;
}

// One passage read line after line from the first to the last.
inline std::u16string LinearStory(size_t lines) {
  std::u16string text = u"[start]長い夜が始まった。\r\n";
  for (size_t i = 2; i < lines; ++i) {
    text += i % 100 == 0 ? u"時計が鳴った。::AON\r\n" : u"列車は北へ走り続ける。\r\n";
  }
  text += u"朝が来た。::END\r\n";
  return text;
}
