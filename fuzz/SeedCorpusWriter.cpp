// Writes the hand-made part of the seed corpus: the worked example story, a
// small story per marker, and lists for the list picker. Run it after
// changing the input layout of a harness or adding an example story:
//   seed_corpus_writer fuzz/corpus examples
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/LspStreamHarness.h"
#include "fuzz/StoryEventsHarness.h"
#include "platform/StoryDecoder.h"
#include "tests/WorkedExample.h"
#include "tools/vln/lsp/LspFraming.h"
#include "tools/vln/lsp/LspJson.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
namespace ev = StoryEvents;

void Write(const fs::path& file, const std::vector<uint8_t>& bytes) {
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::u16string Lines(std::initializer_list<std::u16string_view> lines) {
  std::u16string text;
  for (const auto line : lines) {
    text += line;
    text += u"\r\n";
  }
  return text;
}

std::vector<uint8_t> Repeat(uint8_t event, int times) { return std::vector<uint8_t>(times, event); }

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Every key the reader knows plus some it must ignore, then a second story
// and a failed one, so each seed reaches every handler.
std::vector<uint8_t> Tour() {
  return Join({Repeat(ev::Down(), 6),
               {ev::Digit(1), ev::Keypad(2), ev::Digit(0), ev::Keypad(6), ev::Space(), ev::Down(),
                ev::RestoreWindow(), ev::OtherKey(3), ev::Down(2)},
               Repeat(ev::Down(), 4),
               {ev::Open(ev::Answer::StoryTail), ev::Down(), ev::Digit(2), ev::Down(),
                ev::Open(ev::Answer::Broken), ev::Down(), ev::Open(ev::Answer::Cancel), ev::Down(),
                ev::Open(ev::Answer::Story)},
               Repeat(ev::Down(), 6)});
}

std::string ReadWhole(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The example stories, each file's bytes by its name.
std::vector<std::pair<std::string, std::string>> Examples(const fs::path& examples) {
  std::vector<std::pair<std::string, std::string>> found;
  if (examples.empty() || !fs::is_directory(examples)) return found;
  for (const auto& entry : fs::directory_iterator(examples)) {
    if (entry.path().extension() != ".vln") continue;
    found.emplace_back("example-" + entry.path().stem().string(), ReadWhole(entry.path()));
  }
  return found;
}

void WriteStoryEvents(const fs::path& dir, const fs::path& examples) {
  fs::create_directories(dir);
  std::u16string worked;
  for (const auto& line : WorkedExampleLines) worked += line + u"\r\n";
  Write(dir / "worked-example-up", ev::Encode(worked, Join({{ev::Down(), ev::Down(), ev::Digit(1)},
                                                            Repeat(ev::Down(), 6)})));
  Write(dir / "worked-example-sleep",
        ev::Encode(worked, Join({{ev::Down(), ev::Down(), ev::Keypad(2)}, Repeat(ev::Down(), 5)})));
  Write(dir / "worked-example-tour", ev::Encode(worked, Tour()));

  const struct {
    const char* name;
    std::u16string story;
  } stories[] = {
      {"label-prefix", Lines({u"first", u"  [x]  shown", u"[x]", u"[no close", u"]x"})},
      {"choice", Lines({u"Pick??[a],[b],,[d], [e]", u"[a]A", u"[b]B", u"[d]D", u" [e]E"})},
      {"choice-swallows", Lines({u"Question??[a],[b]::AON", u"[a]yes>>[b]", u"[b]no"})},
      {"commands", Lines({u"Hello::aon", u"x::AONAOFF", u"y::bon con don eon",
                          u"z::boff,coff;doff eoff", u"w::DoN"})},
      {"end", Lines({u"Go>>[x]::END", u"Bye::END", u"[x]never"})},
      {"end-then-choice", Lines({u"Bye::END??[a],[b]", u"[a]after", u"[b]other"})},
      {"plain-jump", Lines({u"start", u"Go>>[x]", u">>[x]", u"skipped", u"[x]there"})},
      {"conditional-jumps", Lines({u"s::aon con eon", u"1>>A[p],[q]", u"[p]2>>B[p],[q]",
                                   u"[q]3>>C[r]", u"[r]4>>D[s],[t]", u"[s]5>>E[t]", u"[t]end"})},
      {"jump-to-apple", Lines({u"start", u"Go>>Apple", u"pple", u"Apple"})},
      {"two-markers", Lines({u"x>>[a]>>B[b],[c]", u"[a]a", u"B[b]bb", u"[c]c"})},
      {"missing-label", Lines({u"Go>>[nowhere]", u"after"})},
      {"prefix-target", Lines({u"x>>go", u"good"})},
      {"empty-lines", Lines({u"", u"", u"x", u""})},
      {"odd-breaks", u"one\rtwo\nstill two\r\n\rfour"},
      {"nul-and-surrogates", u"a\0b??[\xD800],[\xDC00]\r\n[\xD800]x\r\n"s},
      {"ideographic-spaces", Lines({u"\u3000[x]\u3000indented\u3000", u"\u3000\u3000", u"ok"})},
      {"choice-missing-label", Lines({u"Pick??nowhere,[b]", u"[b]b"})},
      {"lone-cr-label", u"Pick??[a]\r[a]lone\r\nx\r\n[a]real\r\n"},
  };
  for (const auto& [name, story] : stories) Write(dir / name, ev::Encode(story, Tour()));
  Write(dir / "empty-story", ev::Encode(u"", Tour()));
  // A long walk through each example, answering every choice in turn.
  std::vector<uint8_t> walk;
  for (int i = 0; i < 200; ++i) walk.push_back(i % 4 == 3 ? ev::Digit(1 + i / 4 % 5) : ev::Down());
  for (const auto& [name, bytes] : Examples(examples)) {
    Write(dir / name, ev::Encode(DecodeStory(bytes), walk));
  }
}

void WriteListItem(const fs::path& dir) {
  fs::create_directories(dir);
  const struct {
    const char* name;
    uint8_t index;
    uint8_t repeats;
    std::u16string list;
  } lists[] = {
      {"three", 2, 0, u"A,B,C"},         {"past-end", 3, 0, u"A,B,C"},
      {"space", 1, 0, u"A, B"},          {"empty-item", 1, 0, u"A,,B"},
      {"empty", 0, 0, u""},              {"one", 0, 0, u"A"},
      {"trailing-comma", 1, 0, u"A,"},   {"labels", 4, 0, u"[a],[b],[c],[d],[e]"},
      {"long", 4, 255, std::u16string(1000, u'x') + u","},
  };
  for (const auto& [name, index, repeats, list] : lists) {
    std::vector<uint8_t> bytes{index, repeats};
    for (const char16_t unit : list) {
      bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
      bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    Write(dir / name, bytes);
  }
}

// Story files as bytes. The first byte picks a byte order mark (0 none,
// 1 UTF-8, 2 UTF-16LE, 3 UTF-16BE); files put in `examples` go in whole.
void WriteStoryBytes(const fs::path& dir, const fs::path& examples) {
  fs::create_directories(dir);
  const auto withMark = [](uint8_t mark, std::string_view content) {
    std::vector<uint8_t> bytes{mark};
    bytes.insert(bytes.end(), content.begin(), content.end());
    return bytes;
  };
  const auto utf16 = [](uint8_t mark, std::u16string_view text, bool bigEndian) {
    std::vector<uint8_t> bytes{mark};
    for (const char16_t unit : text) {
      const auto low = static_cast<uint8_t>(unit & 0xFF);
      const auto high = static_cast<uint8_t>(unit >> 8);
      bytes.push_back(bigEndian ? high : low);
      bytes.push_back(bigEndian ? low : high);
    }
    return bytes;
  };
  // Japanese text in code page 932, half-width katakana, yen and overline bytes included.
  const std::vector<uint8_t> cp932{
      0x5B, 0x73, 0x74, 0x61, 0x72, 0x74, 0x5D, 0x92, 0xA9, 0x82, 0xC5, 0x82,
      0xB7, 0x81, 0x42, 0x96, 0xDA, 0x8A, 0x6F, 0x82, 0xDC, 0x82, 0xB5, 0x82,
      0xAA, 0x96, 0xC2, 0x82, 0xE9, 0x81, 0x42, 0x0D, 0x0A, 0x8B, 0x4E, 0x82,
      0xAB, 0x82, 0xE9, 0x81, 0x48, 0x3F, 0x3F, 0x5B, 0x75, 0x70, 0x5D, 0x2C,
      0x5B, 0x73, 0x6C, 0x65, 0x65, 0x70, 0x5D, 0x0D, 0x0A, 0x5B, 0x75, 0x70,
      0x5D, 0xB6, 0xC0, 0xB6, 0xC5, 0x5C, 0x7E, 0x3A, 0x3A, 0x41, 0x4F, 0x4E,
      0x0D, 0x0A, 0x5B, 0x73, 0x6C, 0x65, 0x65, 0x70, 0x5D, 0x90, 0x51, 0x82,
      0xE9, 0x81, 0x42, 0x3E, 0x3E, 0x41, 0x5B, 0x75, 0x70, 0x5D, 0x2C, 0x5B,
      0x78, 0x5D,
  };
  std::vector<uint8_t> cp932Seed{0};
  cp932Seed.insert(cp932Seed.end(), cp932.begin(), cp932.end());
  Write(dir / "cp932-story", cp932Seed);
  Write(dir / "cp932-cut-in-a-character", std::vector<uint8_t>(cp932Seed.begin(), cp932Seed.begin() + 9));

  const std::string_view utf8Story =
      "[start]\xE6\x9C\x9D\xE3\x81\xA7\xE3\x81\x99\r\n\xE8\xB5\xB7\xE3\x81\x8D??[up],[x]\r\n"
      "[up]\xF0\x9F\x98\x80 \xE3\x80\x80::AON\r\n";
  Write(dir / "utf8-no-mark", withMark(0, utf8Story));
  Write(dir / "utf8-mark", withMark(1, utf8Story));
  Write(dir / "utf8-invalid", withMark(0, "ok\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\xE3\x81\r\n"));
  Write(dir / "ascii", withMark(0, "Hello::AON\r\nGo>>[x]\r\n[x]there"));
  Write(dir / "breaks", withMark(0, "cr\rlf\ncrlf\r\n\r\r\n\n\rlast\r"));
  Write(dir / "nuls", withMark(0, std::string_view("a\0b\r\n\0\0", 7)));
  Write(dir / "empty", withMark(0, ""));
  Write(dir / "mark-only", withMark(1, ""));
  const std::u16string utf16Story = u"[start]\u671D\r\n\xD83D\xDE00??[a]\rlone \xDC00\xD800\nx\r\n";
  Write(dir / "utf16le", utf16(2, utf16Story, false));
  Write(dir / "utf16be", utf16(3, utf16Story, true));
  std::vector<uint8_t> odd = utf16(2, u"odd", false);
  odd.push_back(0x41);
  Write(dir / "utf16le-odd-length", odd);

  for (const auto& [name, bytes] : Examples(examples)) Write(dir / name, withMark(0, bytes));
}

// Conversations with the language server. The first byte asks the harness
// for an opening (1: initialize, 2: with UTF-8 positions, 4: a didOpen of a
// small story); the rest is what a client sends.
void WriteLspStream(const fs::path& dir) {
  fs::create_directories(dir);
  int id = 1;
  const Json document = {{"uri", "file:///s.vln"}};
  const auto request = [&](const std::string& method, Json params) {
    return FramedMessage(JsonText({{"jsonrpc", "2.0"}, {"id", ++id}, {"method", method}, {"params", std::move(params)}}));
  };
  const auto notify = [&](const std::string& method, Json params) {
    return FramedMessage(JsonText({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}}));
  };
  const auto at = [&](int line, int character) {
    return Json{{"textDocument", document}, {"position", {{"line", line}, {"character", character}}}};
  };
  const auto range = [](int l0, int c0, int l1, int c1) {
    return Json{{"start", {{"line", l0}, {"character", c0}}}, {"end", {{"line", l1}, {"character", c1}}}};
  };
  Json rename = at(5, 2);
  rename["newName"] = "street";
  Json references = at(5, 2);
  references["context"] = {{"includeDeclaration", true}};
  const std::string tour =
      request("textDocument/definition", at(3, 7)) + request("textDocument/references", references) +
      request("textDocument/prepareRename", at(5, 2)) + request("textDocument/rename", rename) +
      request("textDocument/completion", at(3, 6)) + request("textDocument/hover", at(5, 8)) +
      request("textDocument/documentSymbol", {{"textDocument", document}}) +
      request("textDocument/foldingRange", {{"textDocument", document}}) +
      request("textDocument/semanticTokens/full", {{"textDocument", document}}) +
      request("textDocument/codeLens", {{"textDocument", document}}) +
      request("textDocument/codeAction", {{"textDocument", document}, {"range", range(0, 0, 7, 0)},
                                           {"context", {{"diagnostics", Json::array()}}}}) +
      request("velnori/map", {{"textDocument", document}, {"format", "dot"}}) +
      request("velnori/play", {{"textDocument", document}, {"events", {"down", "1", "down", "down"}}, {"fromLine", 2}}) +
      notify("textDocument/didChange", {{"textDocument", {{"uri", "file:///s.vln"}, {"version", 2}}},
                                        {"contentChanges", {{{"range", range(3, 6, 3, 10)}, {"text", ">>Apple\n"}}}}}) +
      request("textDocument/codeAction", {{"textDocument", document}, {"range", range(3, 0, 3, 9)}}) +
      notify("textDocument/didChange", {{"textDocument", {{"uri", "file:///s.vln"}, {"version", 3}}},
                                        {"contentChanges", {{{"text", "a\rb>>[c]\n\xF0\x9F\x98\x80\r\n c"}}}}}) +
      request("textDocument/semanticTokens/full", {{"textDocument", document}}) +
      notify("textDocument/didClose", {{"textDocument", document}}) + request("shutdown", nullptr) +
      notify("exit", nullptr);
  const auto withOpening = [](uint8_t flags, const std::string& rest) {
    std::vector<uint8_t> bytes{flags};
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
  };
  Write(dir / "tour", withOpening(5, tour));
  Write(dir / "tour-utf8", withOpening(7, tour));
  Write(dir / "before-initialize", withOpening(0, request("textDocument/hover", at(0, 0)) + notify("exit", nullptr)));
  // Graphviz, and the fonts it loads once, on the fuzzers' first input.
  Write(dir / "map-svg", withOpening(5, request("velnori/map", {{"textDocument", document}, {"format", "svg"}}) +
                                            request("shutdown", nullptr) + notify("exit", nullptr)));
  Write(dir / "hostile",
        withOpening(5, "garbage\r\n\r\nContent-Length: 1099511627776\r\n\r\n{" + FramedMessage("{x") +
                           FramedMessage("[1]") + FramedMessage("{\"id\":{},\"method\":\"x\"}") +
                           request("no/such", nullptr) + "Content-Length: 99\r\n\r\n{\"jsonrpc\""));
  // An empty body, its header the last bytes there are.
  Write(dir / "empty-body-at-end", withOpening(5, FramedMessage("") + request("shutdown", nullptr) + FramedMessage("")));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: seed_corpus_writer CORPUS_DIR [EXAMPLES_DIR]\n");
    return 2;
  }
  const fs::path root = argv[1];
  const fs::path examples = argc == 3 ? fs::path(argv[2]) : fs::path();
  WriteStoryEvents(root / "story_events", examples);
  WriteListItem(root / "list_item");
  WriteStoryBytes(root / "story_bytes", examples);
  WriteLspStream(root / "lsp_stream");
  return 0;
}
