// vln lsp's answers, inside the server, on generated stories of 10,000 and
// 100,000 lines (2,000 and 20,000 labels).
//
// Goals: after a one-character change, diagnostics ready in at most 10 ms
// for 10,000 lines and 50 ms for 100,000; initialize answered in at most
// 20 ms. The reference in the same run is loading the same story as the
// reader does, from its bytes.

#include <benchmark/benchmark.h>

#include <string>

#include "bench/GeneratedStory.h"
#include "platform/HeadlessWindow.h"
#include "platform/StoryFileInput.h"
#include "story/mdlRead.h"
#include "tools/vln/check/CheckStory.h"
#include "tools/vln/lsp/EditorStory.h"
#include "tools/vln/lsp/LspDocument.h"
#include "tools/vln/lsp/LspJson.h"
#include "tools/vln/lsp/LspRequests.h"
#include "tools/vln/lsp/LspServer.h"

namespace {

class NoSink : public ByteSink {
 public:
  bool Write(std::string_view bytes) override {
    written += bytes.size();
    return true;
  }
  size_t written = 0;
};

std::u16string Story(const benchmark::State& state) { return GeneratedStory(static_cast<size_t>(state.range(0)) / 5, 5); }

std::string Message(const Json& message) { return JsonText(message); }

// A server with the story open, its first diagnostics out.
struct OpenServer {
  NoSink sink;
  LspServer server{sink};

  explicit OpenServer(const std::u16string& story) {
    server.Handle(Message({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", {{"capabilities", Json::object()}}}}));
    server.Handle(Message({{"jsonrpc", "2.0"},
                           {"method", "textDocument/didOpen"},
                           {"params", {{"textDocument", {{"uri", "file:///s.vln"}, {"languageId", "vln"}, {"version", 1}, {"text", Utf8Of(story)}}}}}}));
    server.PublishDue();
  }
};

void BM_LoadReference(benchmark::State& state) {
  const std::string bytes = Utf8Of(Story(state));
  for (auto _ : state) {
    StoryFileInput input;
    input.OpenBytes(bytes);
    HeadlessWindow window;
    window.SetStandingDialogAnswer("story.vln");
    StoryState story;
    const std::u16string text = LoadStory(story, window, input);
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(BM_LoadReference)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_EditToDiagnostics(benchmark::State& state) {
  OpenServer open(Story(state));
  int version = 2;
  for (auto _ : state) {
    // One character typed into the fourth line, and taken out again next time.
    const bool typing = version % 2 == 0;
    const Json range = {{"start", {{"line", 3}, {"character", 2}}}, {"end", {{"line", 3}, {"character", typing ? 2 : 3}}}};
    open.server.Handle(Message({{"jsonrpc", "2.0"},
                                {"method", "textDocument/didChange"},
                                {"params", {{"textDocument", {{"uri", "file:///s.vln"}, {"version", version++}}},
                                            {"contentChanges", {{{"range", range}, {"text", typing ? "x" : ""}}}}}}}));
    open.server.PublishDue();
  }
}
BENCHMARK(BM_EditToDiagnostics)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The parts of a change, one by one: the reader's story text from the
// editor's, the checks, and the findings as the protocol's diagnostics.
void BM_EditorStory(benchmark::State& state) {
  const std::u16string editorText = Story(state);
  for (auto _ : state) {
    const EditorStory story(editorText);
    benchmark::DoNotOptimize(story.Text().data());
  }
}
BENCHMARK(BM_EditorStory)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_Check(benchmark::State& state) {
  const EditorStory story(Story(state));
  for (auto _ : state) {
    const CheckFindings findings = CheckStory(story.Text(), story.Lines());
    benchmark::DoNotOptimize(findings.data());
  }
}
BENCHMARK(BM_Check)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_DiagnosticsText(benchmark::State& state) {
  LspDocument document("file:///s.vln", 1, Story(state), PositionEncoding::Utf16);
  document.Analysis().Findings();
  for (auto _ : state) {
    const std::string text = DiagnosticsText(document);
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["findings"] = static_cast<double>(document.Analysis().Findings().size());
}
BENCHMARK(BM_DiagnosticsText)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_Initialize(benchmark::State& state) {
  for (auto _ : state) {
    NoSink sink;
    LspServer server(sink);
    server.Handle(Message({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", {{"capabilities", Json::object()}}}}));
    benchmark::DoNotOptimize(sink.written);
  }
}
BENCHMARK(BM_Initialize)->Unit(benchmark::kMicrosecond);

// Requests an editor sends after every change, answered on a fresh analysis.
void BM_Request(benchmark::State& state, const char* method) {
  OpenServer open(Story(state));
  int version = 2;
  for (auto _ : state) {
    state.PauseTiming();
    open.server.Handle(Message({{"jsonrpc", "2.0"},
                                {"method", "textDocument/didChange"},
                                {"params", {{"textDocument", {{"uri", "file:///s.vln"}, {"version", version++}}},
                                            {"contentChanges", {{{"text", Utf8Of(Story(state))}}}}}}}));
    state.ResumeTiming();
    open.server.Handle(Message({{"jsonrpc", "2.0"}, {"id", 2}, {"method", method}, {"params", {{"textDocument", {{"uri", "file:///s.vln"}}}}}}));
  }
}
BENCHMARK_CAPTURE(BM_Request, semantic_tokens, "textDocument/semanticTokens/full")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Request, code_lens, "textDocument/codeLens")->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
