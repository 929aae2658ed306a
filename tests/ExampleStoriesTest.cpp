#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "platform/HeadlessWindow.h"
#include "platform/StoryFileInput.h"
#include "window/frmMain.h"

// The sample stories in examples/, opened and read the way a reader does:
// every path through each of them, with the captions it shows.

namespace {

std::string ExamplePath(const char* name) {
  const char* source = std::getenv("VELNORI_SOURCE_DIR");
  return std::string(source != nullptr ? source : ".") + "/examples/" + name;
}

// A key press and the caption it leaves in the title bar. Key 0 is Down.
struct Press {
  int digit;
  std::u16string caption;
};

constexpr int Down = 0;

struct Reading {
  StoryState story;
  HeadlessWindow window;
  StoryFileInput input;
  frmMain form{story, window, input};

  void PressKey(int digit) {
    form.Form_KeyDown(digit == Down ? VirtualKey::Down
                                    : static_cast<uint16_t>(VirtualKey::Digit1 + digit - 1),
                      0);
  }
};

// Reads one path to its end and returns the captions it showed.
std::set<std::u16string> ReadPath(const char* file, const std::vector<Press>& presses) {
  Reading reading;
  reading.window.SetStandingDialogAnswer(ExamplePath(file));
  reading.form.Form_Load();
  std::set<std::u16string> shown;
  for (size_t i = 0; i < presses.size(); ++i) {
    reading.PressKey(presses[i].digit);
    EXPECT_EQ(reading.window.CurrentCaption(), presses[i].caption) << file << ", press " << i + 1;
    shown.insert(presses[i].caption);
  }
  EXPECT_TRUE(reading.window.Messages().empty()) << file << " did not open";
  EXPECT_EQ(reading.story.StoryPos, 0) << file << ": the path ends at END";
  EXPECT_TRUE(reading.story.ChoiceList.empty()) << file;
  return shown;
}

size_t LineCount(const char* file) {
  StoryFileInput input;
  EXPECT_TRUE(input.Open(ExamplePath(file))) << file;
  size_t lines = 0;
  std::u16string_view line;
  while (input.ReadLine(line) == TextFileInput::ReadResult::Line) ++lines;
  return lines;
}

// Every line of a story shows a caption of its own, so when the paths
// together show as many different captions as the file has lines (the empty
// caption after a jump aside), every line can be reached.
void ExpectEveryLineReached(const char* file, const std::vector<std::vector<Press>>& paths) {
  std::set<std::u16string> shown;
  for (const auto& path : paths) {
    const auto captions = ReadPath(file, path);
    shown.insert(captions.begin(), captions.end());
  }
  shown.erase(u"");
  EXPECT_EQ(shown.size(), LineCount(file)) << file;
}

TEST(ExampleStories, StarStationInUtf8) {
  const std::vector<Press> opening = {
      {Down, u"終電が行ってしまった。無人の駅に、星だけが明るい。"},
      {Down, u"ベンチの横に、古い切符が一枚落ちている。"},
      {Down, u"どうしようか。（1:切符を拾う　2:線路を歩く　3:ベンチで眠る）"},
      {4, u"どうしようか。（1:切符を拾う　2:線路を歩く　3:ベンチで眠る）"},
      {Down, u"どうしようか。（1:切符を拾う　2:線路を歩く　3:ベンチで眠る）"},
  };
  const std::vector<Press> platformEnd = {
      {Down, u""},
      {Down, u"遠くから、汽笛が一つ聞こえた。"},
      {Down, u"光る列車が、音もなくホームに入ってくる。"},
      {Down, u""},
  };
  auto path = [&](std::vector<Press> middle, std::vector<Press> ending) {
    std::vector<Press> presses = opening;
    presses.insert(presses.end(), middle.begin(), middle.end());
    presses.insert(presses.end(), platformEnd.begin(), platformEnd.end());
    presses.insert(presses.end(), ending.begin(), ending.end());
    return presses;
  };
  const std::vector<std::vector<Press>> paths = {
      // The ticket switches flag A on: the train takes you.
      path({{1, u"切符には「星の駅ゆき」と書いてある。"},
            {Down, u"ポケットにしまって、ホームの端まで歩いた。"}},
           {{Down, u"車掌に切符を見せると、黙ってうなずいてくれた。"},
            {Down, u"窓の外を、街の灯りが星座のように流れていく。"},
            {Down, u"窓の外を、街の灯りが星座のように流れていく。"}}),
      // The rails switch flag B on: no ticket, but you walk on into the dawn.
      path({{2, u"月明かりを頼りに、線路の上を歩きだした。"},
            {Down, u"枕木を三十まで数えたところで、引き返した。"}},
           {{Down, u"切符のない者は乗れないらしい。列車は静かに去っていった。"},
            {Down, u""},
            {Down, u"線路の先に、うっすらと朝焼けが見えはじめた。"}}),
      // Sleeping switches nothing: both flags off.
      path({{3, u"ベンチに横になると、すぐにまぶたが重くなった。"},
            {Down, u"夢の中で、誰かが「まだ早いよ」と笑った。"}},
           {{Down, u"切符のない者は乗れないらしい。列車は静かに去っていった。"},
            {Down, u""},
            {Down, u"ため息をついて、始発を待つことにした。"}}),
  };
  ExpectEveryLineReached("hoshi-no-eki.vln", paths);
}

TEST(ExampleStories, RainyCafeInCodePage932) {
  const std::vector<Press> opening = {
      {Down, u"雨宿りに入った喫茶店には、客が一人もいなかった。"},
      {Down, u"マスターが「ご注文は？」と静かに聞く。"},
      {Down, u"何を頼もう。（1:ブレンド　2:ココア）"},
  };
  const std::vector<Press> counter = {
      {Down, u"窓の外で、雨脚が少し弱まった。"},
      {Down, u"カウンターの隅に、古いレコードが置いてある。"},
      {Down, u""},
  };
  auto path = [&](std::vector<Press> drink, std::vector<Press> ending) {
    std::vector<Press> presses = opening;
    presses.insert(presses.end(), drink.begin(), drink.end());
    presses.insert(presses.end(), counter.begin(), counter.end());
    presses.insert(presses.end(), ending.begin(), ending.end());
    return presses;
  };
  const std::vector<std::vector<Press>> paths = {
      // Coffee switches flag C on: the record plays.
      path({{1, u"苦いコーヒーが、冷えた体にしみていく。"},
            {Down, u"体の芯まで、ゆっくり温まってきた。"},
            {Down, u""}},
           {{Down, u"マスターが針を落とすと、懐かしい歌が流れた。"},
            {Down, u"「①番の曲、お好きでしょう」と、マスターは笑った。"}}),
      // Cocoa switches it off: an umbrella, and the jump past the record.
      path({{Down, u"何を頼もう。（1:ブレンド　2:ココア）"},
            {2, u"甘いココアに、小さなマシュマロが浮かんでいる。"}},
           {{Down, u"マスターが、忘れ物の傘を一本貸してくれた。"},
            {Down, u"ドアの札には「ﾏﾀﾄﾞｳｿﾞ」と書いてあった。"},
            {Down, u""},
            {Down, u"外に出ると、雨はもう上がっていた。"}}),
  };
  ExpectEveryLineReached("ame-no-kissaten.vln", paths);
}

}  // namespace
