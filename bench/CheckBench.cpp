// vln check and vln map -o FILE.dot against loading the same story, on a
// generated 100,000-line story with 20,000 labels and a 10,000-line one with
// 2,000.
//
// Goals: check at most 3 × the load (`vln play --json STORY open`), map to
// DOT at most 5 × the load, as BM_AgainstLoad measures them. The commands
// run in this process (RunPlay, RunCheck, RunMap, as main calls them) and as
// the vln program itself; the
// in-memory figures (CheckStory, BuildStoryMap, ReachedLines, the index) are
// what the language server pays on every change, aimed at well under 30 ms
// for 100,000 lines.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/GeneratedStory.h"
#include "platform/StoryFileInput.h"
#include "tools/vln/check/CheckCommand.h"
#include "tools/vln/check/CheckStory.h"
#include "tools/vln/map/MapCommand.h"
#include "tools/vln/map/StoryMap.h"
#include "tools/vln/play/PlayCommand.h"
#include "tools/vln/reading/LineStartIndex.h"
#include "tools/vln/reading/StoryLines.h"
#include "tools/vln/reading/StoryReach.h"
#include "tools/vln/reading/Utf8.h"

extern char** environ;

namespace {

// Passages of five lines: range(0) lines, a fifth of them labels.
std::u16string StoryOf(int64_t lines) { return GeneratedStory(static_cast<size_t>(lines) / 5, 5); }

// A folder of its own for the story files and maps, removed at exit.
struct ScratchFolder {
  std::string path;
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vln-check-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
};

std::string FolderPath() {
  static const ScratchFolder folder;
  return folder.path;
}

// The story as a UTF-8 file, written once per size.
std::string StoryFile(int64_t lines) {
  const std::string path = FolderPath() + "/story" + std::to_string(lines) + ".vln";
  if (!std::filesystem::exists(path)) {
    std::string bytes;
    ForEachCodePoint(
        StoryOf(lines), [&](char32_t cp) { AppendUtf8(bytes, cp); }, [](char16_t) {});
    std::ofstream(path, std::ios::binary) << bytes;
  }
  return path;
}

using Command = int (*)(const std::string& path);

int Load(const std::string& path) {
  StoryFileInput input;
  std::istringstream in;
  std::ostringstream out, err;
  return RunPlay({"--json", path, "open"}, in, out, err, input);
}

int Check(const std::string& path) {
  StoryFileInput input;
  std::ostringstream out, err;
  return RunCheck({path}, out, err, input);
}

int MapDot(const std::string& path) {
  StoryFileInput input;
  std::ostringstream out, err;
  return RunMap({path, "-o", path + ".dot"}, out, err, input);
}

void BM_Command(benchmark::State& state, Command command) {
  const std::string path = StoryFile(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(command(path));
}
BENCHMARK_CAPTURE(BM_Command, load, Load)->Arg(100000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, check, Check)->Arg(100000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, map_dot, MapDot)->Arg(100000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The vln program; another build's (VLN_PROGRAM) may be timed in its place.
const char* Program() {
  const char* program = std::getenv("VLN_PROGRAM");
  return program != nullptr ? program : VLN_PROGRAM;
}

// The vln program's words for `word` ("play" loads the story) on `path`.
std::vector<std::string> ProgramArgs(const std::string& word, const std::string& path) {
  if (word == "play") return {Program(), "play", "--json", path, "open"};
  if (word == "map") return {Program(), "map", path, "-o", path + ".dot"};
  return {Program(), word, path};
}

// Runs the vln program, output thrown away, as an author runs it; false when
// it did not run or failed.
bool RunProgram(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  const int failed = posix_spawn(&child, Program(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return failed == 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) <= 1;
}

void BM_Program(benchmark::State& state, const char* word) {
  const std::vector<std::string> args = ProgramArgs(word, StoryFile(state.range(0)));
  for (auto _ : state) {
    if (!RunProgram(args)) {
      state.SkipWithError("vln did not run");
      return;
    }
  }
}
BENCHMARK_CAPTURE(BM_Program, load, "play")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Program, check, "check")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Program, map_dot, "map")->Arg(100000)->Unit(benchmark::kMillisecond);

// The goals' own measure: each run of the command right after a load of the
// same story, so that a shared machine's slow and quick spells fall on both
// alike. The time is the command's; times_load is its total over the
// loads' total.
void BM_AgainstLoad(benchmark::State& state, const char* word) {
  const std::string path = StoryFile(state.range(0));
  const std::vector<std::string> load = ProgramArgs("play", path);
  const std::vector<std::string> command = ProgramArgs(word, path);
  double loads = 0;
  double commands = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const bool loaded = RunProgram(load);
    const auto between = std::chrono::steady_clock::now();
    const bool ran = RunProgram(command);
    const auto end = std::chrono::steady_clock::now();
    if (!loaded || !ran) {
      state.SkipWithError("vln did not run");
      return;
    }
    loads += std::chrono::duration<double>(between - start).count();
    commands += std::chrono::duration<double>(end - between).count();
    state.SetIterationTime(std::chrono::duration<double>(end - between).count());
  }
  state.counters["load_ms"] = benchmark::Counter(loads * 1000, benchmark::Counter::kAvgIterations);
  state.counters["times_load"] = loads > 0 ? commands / loads : 0;
}
BENCHMARK_CAPTURE(BM_AgainstLoad, check, "check")
    ->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AgainstLoad, map_dot, "map")
    ->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

// What an editor's server pays per change, the text already in memory.
void BM_CheckStory(benchmark::State& state) {
  const std::u16string text = StoryOf(state.range(0));
  for (auto _ : state) {
    const StoryLines lines(text);
    benchmark::DoNotOptimize(CheckStory(text, lines).size());
  }
}
BENCHMARK(BM_CheckStory)->Arg(100000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_BuildStoryMap(benchmark::State& state) {
  const std::u16string text = StoryOf(state.range(0));
  for (auto _ : state) {
    const StoryLines lines(text);
    benchmark::DoNotOptimize(BuildStoryMap(text, lines).Passages.size());
  }
}
BENCHMARK(BM_BuildStoryMap)->Arg(100000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ReachedLines(benchmark::State& state) {
  const std::u16string text = StoryOf(state.range(0));
  const StoryLines lines(text);
  for (auto _ : state) benchmark::DoNotOptimize(ReachedLines(text, lines).size());
}
BENCHMARK(BM_ReachedLines)->Arg(100000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Cut on two threads, as vln cuts a long story, and on one (range(1) = 1).
void BM_StoryLines(benchmark::State& state) {
  const std::u16string text = StoryOf(state.range(0));
  const size_t worthAThread = state.range(1) == 1 ? SIZE_MAX : StoryLines::UnitsWorthAThread;
  for (auto _ : state) benchmark::DoNotOptimize(StoryLines(text, worthAThread).Lines().size());
}
BENCHMARK(BM_StoryLines)->Args({100000, 2})->Args({100000, 1})->Unit(benchmark::kMillisecond);

void BM_LineStartIndex(benchmark::State& state) {
  const std::u16string text = StoryOf(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(LineStartIndex(text).FirstBreak(u"[p1]"));
}
BENCHMARK(BM_LineStartIndex)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
