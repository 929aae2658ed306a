// Holding the Down arrow: the system repeats it some 30 times a second, and
// every press must be handled before the next one arrives. One iteration is
// 100,000 presses through the key handler, so its time is the total.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/HeadlessWindow.h"
#include "window/frmMain.h"

namespace {

constexpr int Presses = 100'000;

class NoFiles : public TextFileInput {
 public:
  bool Open(const std::string&) override { return false; }
  ReadResult ReadLine(std::u16string_view&) override { return ReadResult::Failed; }
  void Close() override {}
};

std::u16string Number(int n) {
  std::u16string digits;
  for (const char c : std::to_string(n)) digits.push_back(static_cast<char16_t>(c));
  return digits;
}

// 120,000 lines of 40 Japanese characters: a label on every tenth line,
// flag commands on every seventh. With `jumpEvery` > 0, every that many
// lines one line jumps ten lines ahead, plainly or on flag A; each jump
// searches the story from its start for the label.
std::u16string LongStory(int jumpEvery) {
  const std::u16string words(40, u'語');
  std::u16string text;
  for (int i = 0; i < 120'000; ++i) {
    if (i % 10 == 0) text += u"[l" + Number(i) + u"]";
    text += words;
    if (jumpEvery > 0 && i % jumpEvery == jumpEvery - 10) {
      text += (i / jumpEvery) % 2 == 0 ? u">>[l" + Number(i + 10) + u"]"
                                       : u">>A[l" + Number(i + 10) + u"],[l" + Number(i + 20) + u"]";
    } else if (i % 7 == 3) {
      text += i % 2 == 0 ? u"::AON" : u"::aoff don";
    }
    text += u"\r\n";
  }
  return text;
}

void HoldDown(benchmark::State& state, int jumpEvery) {
  const std::u16string story = LongStory(jumpEvery);
  NoFiles files;
  for (auto _ : state) {
    state.PauseTiming();
    StoryState reading;
    reading.StoryText = story;
    reading.StoryPos = 1;
    HeadlessWindow window;
    frmMain form(reading, window, files);
    state.ResumeTiming();
    for (int i = 0; i < Presses; ++i) form.Form_KeyDown(VirtualKey::Down, 0);
    // A command line sets the caption twice, so every press set it at least once.
    if (reading.StoryPos <= 0 || window.CaptionCount() < Presses) {
      state.SkipWithError("the story stopped before the last press");
    }
  }
  state.counters["story_units"] = static_cast<double>(story.size());
}

void BM_HoldDown_PlainLines(benchmark::State& state) { HoldDown(state, 0); }
BENCHMARK(BM_HoldDown_PlainLines)->Unit(benchmark::kMillisecond);

void BM_HoldDown_JumpEvery1000Lines(benchmark::State& state) { HoldDown(state, 1000); }
BENCHMARK(BM_HoldDown_JumpEvery1000Lines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
