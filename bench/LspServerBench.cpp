// vln lsp as an editor meets it: a real process on a pipe.
//
// Goals: after a one-character incremental edit, diagnostics are published in
// at most 50 ms for a 100,000-line story and 10 ms for a 10,000-line one;
// `initialize` is answered in at most 20 ms; peak memory is at most 10 times
// the document's size plus the program's own. Opening the same document (the
// whole text read and checked) is timed beside the edit as its reference.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/GeneratedStory.h"
#include "tools/vln/reading/JsonText.h"

namespace {

using Clock = std::chrono::steady_clock;

// `vln lsp` with its standard input and output on pipes held here.
class ServerProcess {
 public:
  ServerProcess() {
    int in[2];
    int out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 2);
      // Another build's server may be timed in its place.
      const char* program = getenv("VLN_LSP_SERVER");
      execl(program ? program : VLN_PROGRAM, "vln", "lsp", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    to_ = in[1];
    from_ = out[0];
  }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  ~ServerProcess() {
    try {
      Send(R"({"jsonrpc":"2.0","id":999999,"method":"shutdown"})");
      WaitFor(R"("id":999999)");
      Send(R"({"jsonrpc":"2.0","method":"exit"})");
    } catch (const std::runtime_error&) {
      kill(pid_, SIGKILL);
    }
    close(to_);
    close(from_);
    int status = 0;
    waitpid(pid_, &status, 0);
  }

  void Send(const std::string& body) {
    const std::string message = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    for (size_t done = 0; done < message.size();) {
      const ssize_t n = write(to_, message.data() + done, message.size() - done);
      if (n <= 0) throw std::runtime_error("the server stopped reading");
      done += static_cast<size_t>(n);
    }
  }

  // Reads messages until one holds `needle`; returns it.
  std::string WaitFor(const std::string& needle) {
    for (;;) {
      std::string body = Next();
      if (body.find(needle) != std::string::npos) return body;
    }
  }

  // Peak resident memory in bytes.
  int64_t PeakMemory() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    for (std::string line; std::getline(status, line);) {
      if (line.starts_with("VmHWM:")) return std::stoll(line.substr(6)) * 1024;
    }
    return 0;
  }

 private:
  std::string Next() {
    size_t headerEnd;
    while ((headerEnd = buffer_.find("\r\n\r\n")) == std::string::npos) Fill();
    const size_t lengthAt = buffer_.find("Content-Length: ");
    const size_t length = std::stoul(buffer_.substr(lengthAt + 16, headerEnd - lengthAt - 16));
    while (buffer_.size() < headerEnd + 4 + length) Fill();
    std::string body = buffer_.substr(headerEnd + 4, length);
    buffer_.erase(0, headerEnd + 4 + length);
    return body;
  }

  void Fill() {
    char chunk[65536];
    const ssize_t n = read(from_, chunk, sizeof chunk);
    if (n <= 0) throw std::runtime_error("the server closed its output");
    buffer_.append(chunk, static_cast<size_t>(n));
  }

  pid_t pid_ = -1;
  int to_ = -1;
  int from_ = -1;
  std::string buffer_;
};

constexpr const char* Uri = "file:///bench/story.vln";

void Initialize(ServerProcess& server) {
  server.Send(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"processId":null,"rootUri":null,"capabilities":{}}})");
  server.WaitFor(R"("id":0)");
  server.Send(R"({"jsonrpc":"2.0","method":"initialized","params":{}})");
}

std::string OpenMessage(const std::u16string& text) {
  std::string body = std::string(R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":")") +
                     Uri + R"(","languageId":"vln","version":1,"text":)";
  AppendJsonString(body, text);
  return body + "}}}";
}

// Types one character into line `line` (or takes it out again), as version `version`.
std::string EditMessage(int version, size_t line, bool insert) {
  const std::string at = R"({"line":)" + std::to_string(line) + R"(,"character":3})";
  const std::string end = insert ? at : R"({"line":)" + std::to_string(line) + R"(,"character":4})";
  return R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":")" +
         std::string(Uri) + R"(","version":)" + std::to_string(version) +
         R"(},"contentChanges":[{"range":{"start":)" + at + R"(,"end":)" + end + R"(},"text":")" +
         (insert ? "x" : "") + R"("}]}})";
}

size_t Utf8Size(const std::u16string& text) {
  size_t bytes = 0;
  for (const char16_t c : text) bytes += c < 0x80 ? 1 : c < 0x800 ? 2 : (c >= 0xD800 && c <= 0xDFFF) ? 2 : 3;
  return bytes;
}

// A story of `lines` lines, one label in five, as vln's other benchmarks use.
std::u16string StoryOfLines(int64_t lines) { return GeneratedStory(static_cast<size_t>(lines / 5), 5); }

void BM_LspInitialize(benchmark::State& state) {
  for (auto _ : state) {
    ServerProcess server;
    const auto start = Clock::now();
    server.Send(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"processId":null,"rootUri":null,"capabilities":{}}})");
    server.WaitFor(R"("id":0)");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
}
BENCHMARK(BM_LspInitialize)->UseManualTime()->Unit(benchmark::kMillisecond);

// The reference: the whole document opened, read and checked.
void BM_LspOpenUntilDiagnostics(benchmark::State& state) {
  const std::string open = OpenMessage(StoryOfLines(state.range(0)));
  for (auto _ : state) {
    ServerProcess server;
    Initialize(server);
    const auto start = Clock::now();
    server.Send(open);
    server.WaitFor("publishDiagnostics");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
}
BENCHMARK(BM_LspOpenUntilDiagnostics)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_LspEditUntilDiagnostics(benchmark::State& state) {
  ServerProcess server;
  Initialize(server);
  server.Send(OpenMessage(StoryOfLines(state.range(0))));
  server.WaitFor("publishDiagnostics");
  int version = 1;
  const size_t line = static_cast<size_t>(state.range(0) / 2 + 1);  // a plain line mid-story
  size_t published = 0;
  for (auto _ : state) {
    ++version;
    const auto start = Clock::now();
    server.Send(EditMessage(version, line, version % 2 == 0));
    published = server.WaitFor("publishDiagnostics").size();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
  // What the editor has to read each time: the story's findings.
  state.counters["diagnostics_kB"] = static_cast<double>(published) / 1e3;
}
BENCHMARK(BM_LspEditUntilDiagnostics)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

// Peak memory after open and an edit, against the document's size in UTF-8
// and the program's own (the peak after initialize alone).
void BM_LspPeakMemory(benchmark::State& state) {
  const std::u16string text = StoryOfLines(state.range(0));
  const std::string open = OpenMessage(text);
  for (auto _ : state) {
    ServerProcess idle;
    Initialize(idle);
    const int64_t own = idle.PeakMemory();
    ServerProcess server;
    Initialize(server);
    server.Send(open);
    server.WaitFor("publishDiagnostics");
    server.Send(EditMessage(2, 2, true));
    server.WaitFor("publishDiagnostics");
    const int64_t peak = server.PeakMemory();
    const double document = static_cast<double>(Utf8Size(text));
    state.counters["own_MB"] = static_cast<double>(own) / 1e6;
    state.counters["document_MB"] = document / 1e6;
    state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
    state.counters["peak_less_own_per_document"] = static_cast<double>(peak - own) / document;
  }
}
BENCHMARK(BM_LspPeakMemory)->Arg(10000)->Arg(100000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);


// The shape table: each story shape at 100,000 lines, timed the way an editor
// meets it while the author types.
enum class Shape { Reachable, OneLinePassages, ChoiceFans, Linear, Mistakes };

std::u16string StoryOfShape(int64_t shape, size_t lines) {
  switch (static_cast<Shape>(shape)) {
    case Shape::Reachable: return ReachableStory(lines);
    case Shape::OneLinePassages: return OneLinePassagesStory(lines);
    case Shape::ChoiceFans: return ChoiceFanStory(lines);
    case Shape::Linear: return LinearStory(lines);
    case Shape::Mistakes: return GeneratedStory(lines / 5, 5);
  }
  return {};
}

constexpr size_t ShapeLines = 100000;

void ShapeArgs(benchmark::internal::Benchmark* bench) {
  bench->ArgName("shape");
  for (int64_t shape = 0; shape <= static_cast<int64_t>(Shape::Mistakes); ++shape) bench->Arg(shape);
  bench->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
  bench->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });
}

// A server holding the story of the benchmark's shape, its diagnostics read.
struct OpenShape {
  explicit OpenShape(const benchmark::State& state) {
    Initialize(server);
    server.Send(OpenMessage(StoryOfShape(state.range(0), ShapeLines)));
    server.WaitFor("publishDiagnostics");
  }
  // A one-character edit on a line near the middle, its diagnostics read.
  void Edit() {
    ++version;
    server.Send(EditMessage(version, ShapeLines / 2 + 2, version % 2 == 0));
    server.WaitFor("publishDiagnostics");
  }
  ServerProcess server;
  int version = 1;
};

void BM_ShapeEditUntilDiagnostics(benchmark::State& state) {
  OpenShape open(state);
  for (auto _ : state) {
    const auto start = Clock::now();
    open.Edit();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
}
BENCHMARK(BM_ShapeEditUntilDiagnostics)->Apply(ShapeArgs);

// `method` asked for right after an edit, as an editor asks for it, with
// `more` params besides the document's for request `id`.
void TimeRequestAfterEdit(benchmark::State& state, const std::string& method,
                          const std::function<std::string(int id)>& more = {}) {
  OpenShape open(state);
  int id = 1;
  if (more) {
    // The tokens a delta follows.
    open.server.Send(R"({"jsonrpc":"2.0","id":1,"method":"textDocument/semanticTokens/full","params":{"textDocument":{"uri":")" +
                     std::string(Uri) + R"("}}})");
    open.server.WaitFor(R"("id":1,)");
  }
  size_t answer = 0;
  for (auto _ : state) {
    open.Edit();
    ++id;
    const auto start = Clock::now();
    open.server.Send(R"({"jsonrpc":"2.0","id":)" + std::to_string(id) + R"(,"method":")" + method + R"(","params":{)" +
                     (more ? more(id) : "") + R"("textDocument":{"uri":")" + Uri + R"("}}})");
    answer = open.server.WaitFor(R"("id":)" + std::to_string(id) + ",").size();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
  state.counters["answer_kB"] = static_cast<double>(answer) / 1e3;
}

void BM_ShapeSemanticTokens(benchmark::State& state) { TimeRequestAfterEdit(state, "textDocument/semanticTokens/full"); }
BENCHMARK(BM_ShapeSemanticTokens)->Apply(ShapeArgs);
// The tokens as an editor that takes deltas asks for them: what changed
// since the last answer, whose id (the request's before) it names.
void BM_ShapeSemanticTokensDelta(benchmark::State& state) {
  TimeRequestAfterEdit(state, "textDocument/semanticTokens/full/delta",
                       [](int id) { return R"("previousResultId":")" + std::to_string(id - 1) + R"(",)"; });
}
BENCHMARK(BM_ShapeSemanticTokensDelta)->Apply(ShapeArgs);

// Typing while the outline is being answered: the edit's diagnostics wait
// only until the outline's answer sees that its text has changed.
void BM_ShapeEditBehindSymbols(benchmark::State& state) {
  OpenShape open(state);
  int id = 1;
  for (auto _ : state) {
    ++id;
    open.server.Send(R"({"jsonrpc":"2.0","id":)" + std::to_string(id) +
                     R"(,"method":"textDocument/documentSymbol","params":{"textDocument":{"uri":")" + Uri + R"("}}})");
    ++open.version;
    const auto start = Clock::now();
    open.server.Send(EditMessage(open.version, ShapeLines / 2 + 2, open.version % 2 == 0));
    open.server.WaitFor("publishDiagnostics");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
}
BENCHMARK(BM_ShapeEditBehindSymbols)->Apply(ShapeArgs);

void BM_ShapeDocumentSymbol(benchmark::State& state) { TimeRequestAfterEdit(state, "textDocument/documentSymbol"); }
BENCHMARK(BM_ShapeDocumentSymbol)->Apply(ShapeArgs);
void BM_ShapeCodeLens(benchmark::State& state) { TimeRequestAfterEdit(state, "textDocument/codeLens"); }
BENCHMARK(BM_ShapeCodeLens)->Apply(ShapeArgs);

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);  // a server that dies shows as an exception, not a silent end
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
