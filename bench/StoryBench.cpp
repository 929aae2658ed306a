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

// The worst step: a jump to a label on the last line of a 50 MB story, which
// searches the whole text. Every line begins with CR LF and a bracket, as a
// story full of labels does.
void BM_JumpToLastLine(benchmark::State& state) {
  StoryState story;
  HeadlessWindow window;
  const std::u16string line = u"[l]" + std::u16string(36, u'か') + u"\r\n";
  story.StoryText = u"Go>>[end]\r\n";
  while (story.StoryText.size() < 25'000'000) story.StoryText += line;
  story.StoryText += u"[end]The end.\r\n";
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

}  // namespace

BENCHMARK_MAIN();
