#include <benchmark/benchmark.h>

#include <string>

#include "platform/HeadlessWindow.h"
#include "story/mdlRead.h"

namespace {

// A plain step: one 80-character line of Japanese text.
void BM_PlainStep(benchmark::State& state) {
  StoryState story;
  HeadlessWindow window;
  const std::u16string line = std::u16string(40, u'あ') + std::u16string(40, u'a');
  for (int i = 0; i < 1000; ++i) story.StoryText += line + u"\r\n";
  int32_t pos = 1;
  for (auto _ : state) {
    story.StoryPos = pos;
    pos = ShowNextLine(story, window);
    if (pos == 0) pos = 1;
    benchmark::DoNotOptimize(pos);
  }
}
BENCHMARK(BM_PlainStep);

// 50 MB of story whose last line holds the label [end]. Every line begins with
// CR LF and a bracket, as a story full of labels does.
std::u16string FiftyMegabyteStory() {
  const std::u16string line = u"[l]" + std::u16string(36, u'か') + u"\r\n";
  std::u16string text = u"Go>>[end]\r\n";
  while (text.size() < 25'000'000) text += line;
  text += u"[end]The end.\r\n";
  return text;
}

// The worst step: a jump to a label on the last line, which searches the whole
// text.
void BM_JumpToLastLine(benchmark::State& state) {
  StoryState story;
  HeadlessWindow window;
  story.StoryText = FiftyMegabyteStory();
  const auto targetCr = static_cast<int32_t>(story.StoryText.size() - 17) + 1;
  for (auto _ : state) {
    story.StoryPos = 1;
    const int32_t pos = ShowNextLine(story, window);
    if (pos != targetCr) state.SkipWithError("jump landed in the wrong place");
    benchmark::DoNotOptimize(pos);
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(story.StoryText.size() * sizeof(char16_t)));
}
BENCHMARK(BM_JumpToLastLine)->Unit(benchmark::kMillisecond);

// The reference: the same search with the standard library's find.
void BM_JumpSearchWithStdFind(benchmark::State& state) {
  const std::u16string text = FiftyMegabyteStory();
  const std::u16string_view view = text;
  for (auto _ : state) {
    const size_t found = view.find(u"\r\n[end]");
    if (found != text.size() - 17) state.SkipWithError("found the wrong place");
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(text.size() * sizeof(char16_t)));
}
BENCHMARK(BM_JumpSearchWithStdFind)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
