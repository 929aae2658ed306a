// The whole load of a 100 MB story (Open dialog answered by the headless
// window, file read, decoded, split into lines, story text built) against one
// bare iconv(3) call converting the same bytes already in memory.
//
// Before the timings, the program loads each story once more in a fresh
// process of its own (itself, run with --peak-memory FILE) and reports that
// process's peak resident memory against the file's size.

#include <benchmark/benchmark.h>
#include <iconv.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/HeadlessWindow.h"
#include "platform/StoryFileInput.h"
#include "story/mdlRead.h"

extern char** environ;

namespace {

constexpr size_t StoryBytes = 100'000'000;

const char* NativeUtf16() {
  return std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
}

// Pieces of about twenty characters; two make a line of about forty.
constexpr std::array<std::string_view, 12> Phrases = {
    "朝の光が窓から差し込み、部屋を照らす。",
    "駅までの道は、いつもより静かだった。",
    "彼女は古い手紙をそっと机の上に置いた。",
    "雨上がりの空に、大きな虹がかかっている。",
    "遠くで列車の汽笛が鳴り、鳥が飛び立つ。",
    "「どうしてここに来たの？」と彼は尋ねた。",
    "商店街の灯りが一つ、また一つと消えていく。",
    "古本屋の棚には、埃をかぶった地図があった。",
    "ポケットの中で、鍵が小さく音を立てた。",
    "坂の上の神社で、祭りの準備が始まっていた。",
    "温かいお茶を飲みながら、明日のことを考える。",
    "①約束の時刻まで、あと十五分しかない。",
};

std::string Utf8Story(size_t bytes) {
  std::string story;
  story.reserve(bytes + 256);
  uint32_t seed = 12345;
  while (story.size() < bytes) {
    for (int i = 0; i < 2; ++i) {
      seed = seed * 1103515245u + 12345u;
      story += Phrases[(seed >> 16) % Phrases.size()];
    }
    story += "\r\n";
  }
  return story;
}

std::string ToCp932(const std::string& utf8) {
  const iconv_t converter = iconv_open("CP932", "UTF-8");
  std::string out(utf8.size(), '\0');
  char* source = const_cast<char*>(utf8.data());
  size_t sourceLeft = utf8.size();
  char* target = out.data();
  size_t targetLeft = out.size();
  iconv(converter, &source, &sourceLeft, &target, &targetLeft);
  iconv_close(converter);
  out.resize(out.size() - targetLeft);
  return out;
}

std::string ReadWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct StoryFiles {
  std::filesystem::path folder;
  std::filesystem::path cp932;
  std::filesystem::path utf8;

  StoryFiles() {
    folder = std::filesystem::temp_directory_path() /
             ("velnori-load-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    cp932 = folder / "story-cp932.vln";
    utf8 = folder / "story-utf8.vln";
    // About 100 MB each: CP932 takes two bytes where UTF-8 takes three.
    std::ofstream(cp932, std::ios::binary) << ToCp932(Utf8Story(StoryBytes * 3 / 2));
    std::ofstream(utf8, std::ios::binary) << Utf8Story(StoryBytes);
  }
  ~StoryFiles() { std::filesystem::remove_all(folder); }
};

StoryFiles* files = nullptr;

void LoadWhole(benchmark::State& state, const std::filesystem::path& path) {
  HeadlessWindow window;
  window.SetStandingDialogAnswer(path.string());
  StoryFileInput input;
  StoryState story;
  for (auto _ : state) {
    const std::u16string text = LoadStory(story, window, input);
    if (text.empty()) state.SkipWithError("the story did not load");
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(std::filesystem::file_size(path)));
}

// The reference: one iconv(3) call over the whole file already in memory.
// A conversion of its own has to get memory for its output, as the load
// does: `pretouched` gives it a buffer allocated and written beforehand
// instead, which leaves the conversion alone.
void BareIconv(benchmark::State& state, const std::filesystem::path& path, const char* from,
               bool pretouched) {
  const std::string bytes = ReadWhole(path);
  const size_t outUnits = bytes.size() + 1;
  std::vector<char16_t> touched(pretouched ? outUnits : 0, u'\0');
  const iconv_t converter = iconv_open(NativeUtf16(), from);
  for (auto _ : state) {
    std::unique_ptr<char16_t[]> fresh(pretouched ? nullptr : new char16_t[outUnits]);
    char16_t* out = pretouched ? touched.data() : fresh.get();
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char* source = const_cast<char*>(bytes.data());
    size_t sourceLeft = bytes.size();
    char* target = reinterpret_cast<char*>(out);
    size_t targetLeft = outUnits * sizeof(char16_t);
    if (iconv(converter, &source, &sourceLeft, &target, &targetLeft) == static_cast<size_t>(-1)) {
      state.SkipWithError("iconv failed");
    }
    benchmark::DoNotOptimize(out);
  }
  iconv_close(converter);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}

void BM_LoadStoryCp932(benchmark::State& state) { LoadWhole(state, files->cp932); }
void BM_BareIconvCp932(benchmark::State& state) { BareIconv(state, files->cp932, "CP932", false); }
void BM_BareIconvCp932Pretouched(benchmark::State& state) {
  BareIconv(state, files->cp932, "CP932", true);
}
void BM_LoadStoryUtf8(benchmark::State& state) { LoadWhole(state, files->utf8); }
void BM_BareIconvUtf8(benchmark::State& state) { BareIconv(state, files->utf8, "UTF-8", false); }
void BM_BareIconvUtf8Pretouched(benchmark::State& state) {
  BareIconv(state, files->utf8, "UTF-8", true);
}

BENCHMARK(BM_LoadStoryCp932)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareIconvCp932)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareIconvCp932Pretouched)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadStoryUtf8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareIconvUtf8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareIconvUtf8Pretouched)->Unit(benchmark::kMillisecond)->UseRealTime();

// Runs in a process of its own, so that its peak is the load's alone.
int LoadOnceAndReportPeak(const char* path) {
  HeadlessWindow window;
  window.SetStandingDialogAnswer(path);
  StoryFileInput input;
  StoryState story;
  const std::u16string text = LoadStory(story, window, input);
  // VmHWM, not getrusage: the latter also counts the parent's memory at the
  // moment it started this process.
  std::ifstream status("/proc/self/status");
  long peakKiB = 0;
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmHWM:")) peakKiB = std::stol(line.substr(6));
  }
  std::printf("%zu %ld\n", text.size(), peakKiB);
  return text.empty() ? 1 : 0;
}

void ReportPeakMemory(const std::filesystem::path& path) {
  std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::array<int, 2> pipeEnds{};
  if (::pipe(pipeEnds.data()) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  std::string flag = "--peak-memory";
  std::string file = path.string();
  std::array<char*, 4> argv{self.data(), flag.data(), file.data(), nullptr};
  pid_t child = 0;
  const int failed = posix_spawn(&child, self.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  char answer[128] = {};
  if (failed == 0) {
    const ssize_t got = ::read(pipeEnds[0], answer, sizeof answer - 1);
    answer[got > 0 ? got : 0] = '\0';
    ::waitpid(child, nullptr, 0);
  }
  ::close(pipeEnds[0]);
  size_t units = 0;
  long peakKiB = 0;
  if (std::sscanf(answer, "%zu %ld", &units, &peakKiB) != 2) {
    std::printf("peak memory of %s: not measured\n", path.filename().c_str());
    return;
  }
  const double fileMB = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
  const double peakMB = static_cast<double>(peakKiB) * 1024 / 1e6;
  std::printf("peak memory loading %s: %.1f MB for a %.1f MB file (%.2f x), %zu units\n",
              path.filename().c_str(), peakMB, fileMB, peakMB / fileMB, units);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--peak-memory") == 0) {
    return LoadOnceAndReportPeak(argv[2]);
  }
  benchmark::Initialize(&argc, argv);
  StoryFiles storyFiles;
  files = &storyFiles;
  ReportPeakMemory(storyFiles.cp932);
  ReportPeakMemory(storyFiles.utf8);
  std::fflush(stdout);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
