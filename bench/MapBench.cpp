// vln map from story to DOT, and from story file to SVG.
//
// Goals: DOT for a 10,000-line story with 2,000 labels in at most 0.5 s; the
// SVG of each sample story in at most 1 s. The layout figures show where
// dot's time goes as maps grow, and why vln map lays out maps of more than
// MaxFullLayoutPassages passages with straight edges and refuses more than
// MaxLaidOutPassages.

#include <benchmark/benchmark.h>

#include <string>

#include "bench/GeneratedStory.h"
#include "platform/StoryFileInput.h"
#include "tools/vln/map/MapCommand.h"
#include "tools/vln/map/MapDot.h"
#include "tools/vln/map/MapRender.h"
#include "tools/vln/reading/StoryFileRead.h"
#include "tools/vln/map/StoryMap.h"

namespace {

void BM_MapDotOf10000Lines(benchmark::State& state) {
  const std::u16string text = GeneratedStory(2000, 5);
  for (auto _ : state) {
    const StoryLines lines(text);
    const std::string dot = StoryMapDot(BuildStoryMap(text, lines));
    benchmark::DoNotOptimize(dot.data());
  }
}
BENCHMARK(BM_MapDotOf10000Lines)->Unit(benchmark::kMillisecond);

// The DOT writer alone, on the maps of stories of range(0) five-line
// passages: what vln map -o FILE.dot pays after building the map. Aimed at
// 4 ms for 20,000 passages; the map of 2,000 fits the caches, so the two
// together show how much of the time is spent waiting for memory.
void BM_StoryMapDot(benchmark::State& state) {
  const std::u16string text = GeneratedStory(static_cast<size_t>(state.range(0)), 5);
  const StoryLines lines(text);
  const StoryMap map = BuildStoryMap(text, lines);
  for (auto _ : state) benchmark::DoNotOptimize(StoryMapDot(map).data());
}
BENCHMARK(BM_StoryMapDot)->Arg(20000)->Arg(2000)->Unit(benchmark::kMillisecond);

// From the file on disk to the SVG in memory, as vln map does it.
void BM_MapSvgOfSample(benchmark::State& state, const char* file) {
  if (!CanRenderMaps()) {
    state.SkipWithError("built without Graphviz");
    return;
  }
  StoryFileInput input;
  const std::string path = std::string(VELNORI_SOURCE_DIR) + "/examples/" + file;
  for (auto _ : state) {
    std::u16string text;
    if (!ReadStoryFile(path, input, text)) {
      state.SkipWithError("the sample story cannot be read");
      return;
    }
    const StoryLines lines(text);
    std::string svg;
    if (!RenderDot(StoryMapDot(BuildStoryMap(text, lines)), "svg", MapLayout::Full, svg).empty()) {
      state.SkipWithError("Graphviz failed");
      return;
    }
    benchmark::DoNotOptimize(svg.data());
  }
}
BENCHMARK_CAPTURE(BM_MapSvgOfSample, hoshi_no_eki, "hoshi-no-eki.vln")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MapSvgOfSample, ame_no_kissaten, "ame-no-kissaten.vln")
    ->Unit(benchmark::kMillisecond);

// dot's layout alone, for maps of growing size, each with the layout vln map
// would choose for it.
void BM_MapLayout(benchmark::State& state) {
  if (!CanRenderMaps()) {
    state.SkipWithError("built without Graphviz");
    return;
  }
  const auto passages = static_cast<size_t>(state.range(0));
  const std::u16string text = GeneratedStory(passages, 2);
  const StoryLines lines(text);
  const std::string dot = StoryMapDot(BuildStoryMap(text, lines));
  const MapLayout layout = MapLayoutFor(passages).value_or(MapLayout::Quick);
  for (auto _ : state) {
    std::string svg;
    if (!RenderDot(dot, "svg", layout, svg).empty()) {
      state.SkipWithError("Graphviz failed");
      return;
    }
    benchmark::DoNotOptimize(svg.data());
  }
}
BENCHMARK(BM_MapLayout)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
