// The language server through its byte streams: framing, the order of the
// conversation, hostile messages, positions in UTF-16 and UTF-8, and the
// editor ranges the answers carry.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "fuzz/MemoryStreams.h"
#include "tools/vln/lsp/LspFraming.h"
#include "tools/vln/lsp/LspJson.h"
#include "tools/vln/lsp/LspServer.h"
#include "tools/vln/map/MapRender.h"
#include "tools/vln/reading/Utf8.h"

namespace {

std::string Frame(const Json& message) { return FramedMessage(JsonText(message)); }

Json Request(int id, const std::string& method, Json params = Json::object()) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}};
}

Json Notification(const std::string& method, Json params = Json::object()) {
  return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

std::string Initialize(Json capabilities = Json::object()) {
  return Frame(Request(1, "initialize", {{"capabilities", std::move(capabilities)}}));
}

std::string Open(const std::string& text) {
  return Frame(Notification("textDocument/didOpen",
                            {{"textDocument", {{"uri", "file:///s.vln"}, {"languageId", "vln"}, {"version", 1}, {"text", text}}}}));
}

const Json Document = {{"uri", "file:///s.vln"}};

Json At(int line, int character) { return {{"line", line}, {"character", character}}; }

struct Session {
  std::vector<Json> messages;
  int status = 0;

  // The answer to request `id`.
  const Json* Answer(int id) const {
    for (const Json& m : messages) {
      if (m.contains("id") && m["id"] == id) return &m;
    }
    return nullptr;
  }
  std::vector<Json> Of(const std::string& method) const {
    std::vector<Json> found;
    for (const Json& m : messages) {
      if (m.value("method", "") == method) found.push_back(m["params"]);
    }
    return found;
  }
};

Session SessionOf(const std::string& output, int status) {
  Session session;
  session.status = status;
  MemoryBytesIn replies(output, output.size());
  LspFrameReader reader(replies, 1 << 30);
  for (LspFrame frame = reader.Next(); frame.FrameKind == LspFrame::Kind::Message; frame = reader.Next()) {
    session.messages.push_back(Json::parse(frame.Body));
  }
  return session;
}

// A few bytes at a time by default, so that every message is cut somewhere.
Session Converse(const std::string& input, size_t bytesAtATime = 7, LspReading reading = LspReading::Ahead) {
  MemoryBytesIn in(input, bytesAtATime);
  MemoryBytesOut out;
  const int status = RunLspSession(in, out, reading);
  return SessionOf(out.Bytes, status);
}

TEST(LspProtocol, AnswersHostileMessagesAndGoesOn) {
  struct Row {
    const char* reason;
    std::string input;   // sent after initialize; request 9 follows it
    int errorCode;       // the error it gets (id null unless the message had one), 0 for none
  };
  const std::string ping = Frame(Request(9, "shutdown"));
  const std::string kana = JsonText(Notification("no/such", {{"text", "\u3042\u3044\u3046"}}));
  const std::vector<Row> rows = {
      {"a header line without a colon", "garbage\r\n\r\n", -32700},
      {"a Content-Length that is no number", "Content-Length: ten\r\n\r\n{}", -32700},
      {"no Content-Length", "Content-Type: x\r\n\r\n{}", -32700},
      {"a Content-Length of 2^40", "Content-Length: 1099511627776\r\n\r\n{\"jsonrpc\":", -32600},
      {"invalid JSON", FramedMessage("{x"), -32700},
      {"invalid UTF-8 in a string", FramedMessage("{\"jsonrpc\":\"2.0\",\"method\":\"\xff\"}"), -32700},
      {"not an object", FramedMessage("[1,2]"), -32600},
      {"an id of the wrong type", FramedMessage(R"({"jsonrpc":"2.0","id":{},"method":"x"})"), -32600},
      {"an unknown method", Frame(Request(5, "no/such")), -32601},
      {"an unknown notification", Frame(Notification("no/such")), 0},
      {"a request about a document not open", Frame(Request(5, "textDocument/hover", {{"textDocument", Document}, {"position", At(0, 0)}})), -32602},
      {"didChange for a document not open",
       Frame(Notification("textDocument/didChange", {{"textDocument", Document}, {"contentChanges", Json::array()}})), 0},
      {"a cancelled request", Frame(Notification("$/cancelRequest", {{"id", 3}})), 0},
      {"initialize again", Initialize(), -32600},
      // The message right after a bad one is read, wherever it begins.
      {"a line without a colon right in front of the next header", "garbage\r\n", -32700},
      {"a Content-Length that counts characters, not bytes",
       "Content-Length: " + std::to_string(Utf8ToUtf16(kana).size()) + "\r\n\r\n" + kana, -32700},
      {"a Content-Length that takes in the next message's header",
       "Content-Length: " + std::to_string(kana.size() + 12) + "\r\n\r\n" + kana, -32700},
      {"an empty body", "Content-Length: 0\r\n\r\n", -32700},
      {"a whole header over 64 KiB", "Content-Length: 2\r\nX-Pad: " + std::string(65536, 'a') + "\r\n\r\n{}",
       -32700},
  };
  for (const Row& row : rows) {
    const Session session = Converse(Initialize() + row.input + ping + Frame(Notification("exit")));
    EXPECT_EQ(session.status, 0) << row.reason;
    ASSERT_NE(session.Answer(9), nullptr) << row.reason << ": the server stopped listening";
    int code = 0;
    for (const Json& m : session.messages) {
      if (m.contains("error")) code = m["error"]["code"].get<int>();
    }
    EXPECT_EQ(code, row.errorCode) << row.reason;
  }
}

TEST(LspProtocol, KeepsTheConversationsOrder) {
  struct Row {
    const char* reason;
    std::string input;
    int status;
    int errorCode;  // of request 2, 0 when it is answered
  };
  const std::string hover = Frame(Request(2, "textDocument/hover", {{"textDocument", Document}, {"position", At(0, 0)}}));
  const std::string shutdown = Frame(Request(3, "shutdown"));
  const std::string exit = Frame(Notification("exit"));
  const std::vector<Row> rows = {
      {"a request before initialize", hover + Initialize() + exit, 1, -32002},
      {"shutdown then exit", Initialize() + Open("a") + hover + shutdown + exit, 0, 0},
      {"exit alone", Initialize() + Open("a") + hover + exit, 1, 0},
      {"the input ends without exit", Initialize() + Open("a") + hover, 1, 0},
      {"a request after shutdown", Initialize() + Open("a") + shutdown + hover + exit, 0, -32600},
      {"a truncated body at the end", Initialize() + Open("a") + hover + "Content-Length: 50\r\n\r\n{", 1, 0},
      {"an empty body at the end", Initialize() + Open("a") + hover + "Content-Length: 0\r\n\r\n", 1, 0},
  };
  for (const Row& row : rows) {
    const Session session = Converse(row.input);
    EXPECT_EQ(session.status, row.status) << row.reason;
    const Json* answer = session.Answer(2);
    ASSERT_NE(answer, nullptr) << row.reason;
    EXPECT_EQ(answer->contains("error") ? (*answer)["error"]["code"].get<int>() : 0, row.errorCode) << row.reason;
  }
}

// A request that a message already read cancels, or whose document it
// changes, gets the error at once and delays nothing after it. Read in turn,
// with the whole input there from the start, what is read ahead is certain.
TEST(LspProtocol, AnswersOvertakenRequestsWithAnError) {
  struct Row {
    const char* reason;
    std::string request;  // request 2
    std::string after;
    int errorCode;  // of request 2, 0 when it is answered
  };
  const std::string tokens = Frame(Request(2, "textDocument/semanticTokens/full", {{"textDocument", Document}}));
  const auto change = [](const std::string& uri) {
    return Frame(Notification("textDocument/didChange",
                              {{"textDocument", {{"uri", uri}, {"version", 2}}}, {"contentChanges", {{{"text", "[s]b"}}}}}));
  };
  const auto cancel = [](int id) { return Frame(Notification("$/cancelRequest", {{"id", id}})); };
  const std::vector<Row> rows = {
      {"its document changed after it", tokens, change("file:///s.vln"), -32801},
      {"its document closed after it", tokens, Frame(Notification("textDocument/didClose", {{"textDocument", Document}})), -32801},
      {"cancelled", tokens, cancel(2), -32800},
      {"another request cancelled", tokens, cancel(7), 0},
      {"another document changed", tokens, Frame(Notification("textDocument/didOpen", {{"textDocument", {{"uri", "file:///t.vln"}, {"version", 1}, {"text", "x"}}}})) + change("file:///t.vln"), 0},
      {"shutdown is answered whatever follows", Frame(Request(2, "shutdown")), cancel(2), 0},
      {"a change before it", change("file:///s.vln") + tokens, "", 0},
  };
  for (const Row& row : rows) {
    const std::string input =
        Initialize() + Open("[s]a") + row.request + row.after + Frame(Request(3, "shutdown")) + Frame(Notification("exit"));
    const Session session = Converse(input, input.size(), LspReading::InTurn);
    const Json* answer = session.Answer(2);
    ASSERT_NE(answer, nullptr) << row.reason;
    EXPECT_EQ(answer->contains("error") ? (*answer)["error"]["code"].get<int>() : 0, row.errorCode) << row.reason;
    // The change that overtook it still counts.
    const std::vector<Json> published = session.Of("textDocument/publishDiagnostics");
    ASSERT_FALSE(published.empty()) << row.reason;
    if (row.after.find("file:///s.vln") != std::string::npos && row.after.find("didChange") != std::string::npos) {
      EXPECT_EQ(published.back()["version"], 2) << row.reason;
    }
  }
}

// Input in steps, each read once the output holds what the step before
// waits for, as an editor that waits for an answer before it goes on.
class StepwiseStreams : public ByteSource, public ByteSink {
 public:
  explicit StepwiseStreams(std::vector<std::pair<std::string, std::string>> steps) : steps_(std::move(steps)) {}

  int64_t Read(char* into, size_t room) override {
    std::unique_lock<std::mutex> hold(mutex_);
    if (pending_.empty()) {
      if (next_ == steps_.size()) return 0;
      if (next_ > 0) {
        written_.wait(hold, [this] { return Output.find(steps_[next_ - 1].second) != std::string::npos; });
      }
      pending_ = steps_[next_++].first;
    }
    const size_t n = std::min(room, pending_.size());
    pending_.copy(into, n);
    pending_.erase(0, n);
    return static_cast<int64_t>(n);
  }

  bool Write(std::string_view bytes) override {
    const std::lock_guard<std::mutex> hold(mutex_);
    Output += bytes;
    written_.notify_all();
    return true;
  }

  std::string Output;

 private:
  std::vector<std::pair<std::string, std::string>> steps_;
  size_t next_ = 0;
  std::string pending_;
  std::mutex mutex_;
  std::condition_variable written_;
};

Session ConverseInSteps(std::vector<std::pair<std::string, std::string>> steps) {
  StepwiseStreams streams(std::move(steps));
  const int status = RunLspSession(streams, streams);
  return SessionOf(streams.Output, status);
}

// A delta applied to the tokens it follows gives the tokens of the new text,
// and a range gives the tokens of its lines, numbered as in the whole.
TEST(LspProtocol, SendsTokensInPartsThatMakeTheWhole) {
  // The first edit is inside a reached line of plain text, the second adds
  // markup, the third is inside what a line with markup shows, in front of
  // its markup.
  const std::string before = "[s]Start.\r\nplain\r\nGo??[a],[b]\r\n[a]A.>>[b]\r\n[b]B.::END\r\n";
  const std::string after = "[s]Start.\r\nxplain\r\nG\u99c5o??[a],[b]\r\n[a]>>[s]A.>>[b]\r\n[b]B.::END\r\n";
  const auto tokens = [](int id, const std::string& method, Json params = Json::object()) {
    params["textDocument"] = Document;
    return Frame(Request(id, "textDocument/semanticTokens/" + method, std::move(params)));
  };
  const auto change = [](int version, int line, int character, const std::string& text) {
    const Json at = At(line, character);
    return Frame(Notification("textDocument/didChange",
                              {{"textDocument", {{"uri", "file:///s.vln"}, {"version", version}}},
                               {"contentChanges", {{{"range", {{"start", at}, {"end", at}}}, {"text", text}}}}}));
  };
  // As an editor sends them: each change once the answer before it is in.
  const Session session = ConverseInSteps({
      {Initialize() + Open(before) + tokens(2, "full"), R"("id":2,)"},
      {change(2, 1, 0, "x") + tokens(3, "full/delta", {{"previousResultId", "1"}}), R"("id":3,)"},
      {change(3, 3, 3, ">>[s]") + tokens(4, "full/delta", {{"previousResultId", "2"}}), R"("id":4,)"},
      {change(4, 2, 1, "\u99c5") + tokens(5, "full/delta", {{"previousResultId", "3"}}), R"("id":5,)"},
      {tokens(6, "full") + tokens(7, "full/delta", {{"previousResultId", "old"}}) +
           tokens(8, "range", {{"range", {{"start", At(3, 0)}, {"end", At(4, 2)}}}}) + Frame(Notification("exit")),
       ""},
  });
  std::vector<uint32_t> data = (*session.Answer(2))["result"]["data"].get<std::vector<uint32_t>>();
  for (const int id : {3, 4, 5}) {
    const Json& result = (*session.Answer(id))["result"];
    ASSERT_TRUE(result.contains("edits")) << result.dump();
    for (const Json& edit : result["edits"]) {
      const auto start = data.begin() + edit["start"].get<std::ptrdiff_t>();
      data.erase(start, start + edit["deleteCount"].get<std::ptrdiff_t>());
      const std::vector<uint32_t> added = edit["data"].get<std::vector<uint32_t>>();
      data.insert(data.begin() + edit["start"].get<std::ptrdiff_t>(), added.begin(), added.end());
    }
  }
  const std::vector<uint32_t> whole = (*session.Answer(6))["result"]["data"].get<std::vector<uint32_t>>();
  EXPECT_EQ(data, whole);
  // The same as the tokens of the text opened afresh.
  const Session fresh = Converse(Initialize() + Open(after) + tokens(2, "full") + Frame(Notification("exit")));
  EXPECT_EQ(whole, (*fresh.Answer(2))["result"]["data"].get<std::vector<uint32_t>>());
  // An id that is not the last sent: every token again.
  EXPECT_EQ((*session.Answer(7))["result"]["data"].get<std::vector<uint32_t>>(), whole);
  // Lines 3 and 4, the last two: the whole's tokens from line 3 on, the
  // first counted from the document's start.
  const std::vector<uint32_t> range = (*session.Answer(8))["result"]["data"].get<std::vector<uint32_t>>();
  size_t first = 0;
  for (uint32_t line = 0; first < whole.size(); first += 5) {
    if (line + whole[first] >= 3) break;
    line += whole[first];
  }
  ASSERT_LT(first, whole.size());
  ASSERT_EQ(range.size(), whole.size() - first);
  EXPECT_EQ(range[0], 3u);
  EXPECT_EQ(std::vector<uint32_t>(range.begin() + 1, range.end()), std::vector<uint32_t>(whole.begin() + static_cast<std::ptrdiff_t>(first) + 1, whole.end()));
}

// The outline kept across edits the analysis follows is the outline of the
// edited text read afresh: the first edit shortens a caption in the middle of
// a labelled passage; then two edits before the next request, the later one
// nearer the top, lengthen that passage's last line and the caption of an
// earlier passage.
TEST(LspProtocol, KeepsTheOutlineAsTheTextChanges) {
  const std::string before = "[s]Start.\r\nGo??[a],[b]\r\n[a]A.>>[b]\r\nLost.\r\nMore lost.\r\n[b]B.\r\nBe.\r\nEnd.::END\r\n";
  const std::string after = "[s]Start.\r\nGo??[a],[b]\r\n[a]A\u99c5.>>[b]\r\nLost.\r\nMore lost.\r\n[b]B.\r\nB.\r\nEnd!.::END\r\n";
  const auto outline = [](int id) { return Frame(Request(id, "textDocument/documentSymbol", {{"textDocument", Document}})); };
  const auto change = [](int version, int line, int character, int removed, const std::string& text) {
    return Frame(Notification("textDocument/didChange",
                              {{"textDocument", {{"uri", "file:///s.vln"}, {"version", version}}},
                               {"contentChanges", {{{"range", {{"start", At(line, character)}, {"end", At(line, character + removed)}}},
                                                    {"text", text}}}}}));
  };
  const Session session = ConverseInSteps({
      {Initialize() + Open(before) + outline(2), R"("id":2,)"},
      {change(2, 6, 1, 1, "") + outline(3), R"("id":3,)"},
      {change(3, 7, 3, 0, "!") + change(4, 2, 4, 0, "\u99c5") + outline(4) + Frame(Notification("exit")), ""},
  });
  const Session fresh = Converse(Initialize() + Open(after) + outline(2) + Frame(Notification("exit")));
  ASSERT_NE(session.Answer(4), nullptr);
  EXPECT_EQ((*session.Answer(4))["result"], (*fresh.Answer(2))["result"]);
  EXPECT_NE((*session.Answer(2))["result"], (*fresh.Answer(2))["result"]);
}

std::vector<int> RangeOf(const Json& answer) {
  if (!answer.contains("result") || !answer["result"].is_object()) return {};
  const Json& range = answer["result"]["range"];
  return {range["start"]["line"].get<int>(), range["start"]["character"].get<int>(), range["end"]["line"].get<int>(),
          range["end"]["character"].get<int>()};
}

TEST(LspProtocol, RangesCoverTheEditorsCharacters) {
  struct Row {
    const char* reason;
    Json capabilities;
    std::string text;  // UTF-8
    std::vector<Json> changes;
    Json ask;                // where definition is asked for, once the changes are made
    std::vector<int> range;  // of the line it answers with
  };
  const Json utf8 = {{"general", {{"positionEncodings", {"utf-8", "utf-16"}}}}};
  const auto change = [](int l0, int c0, int l1, int c1, const std::string& text) {
    return Json{{"range", {{"start", At(l0, c0)}, {"end", At(l1, c1)}}}, {"text", text}};
  };
  const std::string smile = "\xF0\x9F\x98\x80";
  const std::vector<Row> rows = {
      {"utf-16 counts a pair as two", Json::object(), "[s]" + smile + ">>[x]\r\n[x]", {}, At(0, 8), {1, 0, 1, 3}},
      {"utf-8 counts its bytes", utf8, "[s]" + smile + ">>[x]\r\n[x]", {}, At(0, 10), {1, 0, 1, 3}},
      {"utf-8 after the character", utf8, "[s]>>[x]\r\n" + smile + "\r\n[x]" + smile, {}, At(0, 6), {2, 0, 2, 3}},
      {"a lone LF is a line for the editor only", Json::object(), "[s]a\n>>[x]\r\n[x]", {}, At(1, 3), {2, 0, 2, 3}},
      {"a name over a lone LF covers both lines", Json::object(), "s>>[a]\nb\r\n[a]\nb", {}, At(0, 4), {2, 0, 3, 1}},
      {"a lone CR is a break for both", Json::object(), "[s]>>[x]\r[x]", {}, At(0, 5), {1, 0, 1, 3}},
      {"an incremental edit", Json::object(), "[s]>>[q]\r\n[y]", {change(0, 6, 0, 7, "y")}, At(0, 6), {1, 0, 1, 3}},
      {"changes in order", Json::object(), "[s]\r\n[y]", {change(0, 3, 0, 3, ">>["), change(0, 6, 0, 6, "y]")},
       At(0, 7), {1, 0, 1, 3}},
      {"a range past the end is the end", Json::object(), "[s]\r\n[y]", {change(9, 0, 12, 4, "\r\n>>[y]")}, At(2, 3),
       {1, 0, 1, 3}},
      {"a whole new text", Json::object(), "[s]", {Json{{"text", "a>>[c]\r\n[c]"}}}, At(0, 4), {1, 0, 1, 3}},
      {"a utf-8 edit inside a character goes to its start", utf8, "\xE3\x81\x82\r\n[y]\xE3\x81\x82",
       {change(0, 1, 0, 1, ">>[y]")}, At(0, 3), {1, 0, 1, 6}},
      {"an edit that joins CR and LF", Json::object(), "[s]>>[y]\rA\n[y]", {change(1, 0, 1, 1, "")}, At(0, 5), {1, 0, 1, 3}},
  };
  for (const Row& row : rows) {
    std::string input = Initialize(row.capabilities) + Open(row.text);
    int version = 2;
    for (const Json& c : row.changes) {
      input += Frame(Notification("textDocument/didChange",
                                  {{"textDocument", {{"uri", "file:///s.vln"}, {"version", version++}}}, {"contentChanges", {c}}}));
    }
    input += Frame(Request(2, "textDocument/definition", {{"textDocument", Document}, {"position", row.ask}}));
    const Session session = Converse(input + Frame(Notification("exit")));
    ASSERT_NE(session.Answer(2), nullptr) << row.reason;
    EXPECT_EQ(RangeOf(*session.Answer(2)), row.range) << row.reason << "\n" << session.Answer(2)->dump();
    // Diagnostics went out for the last version only once the changes were in.
    const std::vector<Json> published = session.Of("textDocument/publishDiagnostics");
    ASSERT_FALSE(published.empty()) << row.reason;
    EXPECT_EQ(published.back()["version"].get<int>(), version - 1) << row.reason;
  }
}

TEST(LspProtocol, AnswersEachRequestAboutTheDocument) {
  struct Row {
    const char* reason;
    std::string text;  // the document, UTF-8
    std::string method;
    Json params;        // besides textDocument
    std::string pointer;  // into the answer
    Json expected;
  };
  const std::string worked =
      "[start]Morning.\r\nGet up??[up],[sleep]\r\n[up]Up.::AON\r\nOut.>>[road]\r\n[sleep]Sleep.::AOFF\r\n"
      "[road]Road.>>A[bus],[late]\r\n[bus]Bus.::END\r\n[late]Late.::END\r\n";
  const auto at = [](int line, int character) { return Json{{"position", At(line, character)}}; };
  // 301 passages, each a choice of the next two.
  std::string wide = "[p0]start\r\n";
  for (int p = 1; p <= 301; ++p) {
    wide += "[p" + std::to_string(p) + "]go??[p" + std::to_string(p + 1) + "],[p" + std::to_string(p + 2) + "]\r\n";
  }
  const bool svg = CanRenderMaps();
  const std::vector<Row> rows = {
      {"too many events to play", worked, "velnori/play", {{"events", std::vector<std::string>(10001, "down")}},
       "/error/code", -32602},
      {"a new name of 2,000 bytes", worked, "textDocument/rename",
       {{"position", At(5, 3)}, {"newName", std::string(2000, 'n')}}, "/error/code", -32602},
      {"a map too big to lay out beside the requests", wide, "velnori/map", {{"format", "svg"}},
       svg ? "/error/code" : "/result/format", svg ? Json(-32803) : Json("dot")},
      {"play starts loaded, then each event", worked, "velnori/play", {{"events", {"down", "1"}}}, "/result/steps/2",
       Json::parse(R"({"event":"1","caption":"Up.","pos":54,"choice":"","flags":[-1,0,0,0,0],"minimized":false,)"
                   R"("length":150,"message":null,"message_title":null,"dialog":null,"line":2})")},
      {"play's start step", worked, "velnori/play", {{"events", Json::array()}}, "/result/steps/0/line", 0},
      {"play from a line", worked, "velnori/play", {{"events", {"down"}}, {"fromLine", 5}}, "/result/steps/1/caption", "Road."},
      {"the empty step after a jump is on the line before its target", worked, "velnori/play",
       {{"events", {"down", "1", "down", "down"}}}, "/result/steps/4/line", 4},
      {"play an empty document", "", "velnori/play", {{"events", Json::array()}}, "/result/steps/0/message",
       "ファイルが開けません"},
      {"play an unknown event", worked, "velnori/play", {{"events", {"down", "jump"}}}, "/error/code", -32602},
      {"map passages", worked, "velnori/map", {{"format", "dot"}}, "/result/passages/3",
       Json::parse(R"({"id":"L6","label":"[road]","range":{"start":{"line":5,"character":0},"end":{"line":5,"character":26}}})")},
      {"map format", worked, "velnori/map", {{"format", "png"}}, "/error/code", -32602},
      {"the layout the map gets", worked, "velnori/map", {{"format", "dot"}}, "/result/layout", "full"},
      {"the map names the version it is of", worked, "velnori/map", {{"format", "dot"}}, "/result/version", 1},
      {"references of a label line", worked, "textDocument/references", at(5, 1), "/result/1/range/start/line", 3},
      {"ways in above a label", worked, "textDocument/codeLens", Json::object(), "/result/2/command/title", "2 ways in"},
      {"prepareRename's placeholder", worked, "textDocument/prepareRename", at(5, 3), "/result/placeholder", "road"},
      {"rename refused with its reason", worked, "textDocument/rename", {{"position", At(5, 3)}, {"newName", "late"}},
       "/error/code", -32803},
      {"completion of keywords", worked, "textDocument/completion", at(2, 10), "/result/items/0/label", "AON"},
      {"hover on an empty document", "", "textDocument/hover", at(0, 0), "/result", nullptr},
      {"a token over a lone LF is one per line", "s>>[a]\nb\r\n[a]\nb", "textDocument/semanticTokens/full",
       Json::object(), "/result/data", Json::parse("[0,1,2,1,0, 0,2,3,0,0, 1,0,1,0,0, 1,0,3,0,1]")},
      {"a quick fix for a lone LF", "a\nb\r\n", "textDocument/codeAction",
       {{"range", {{"start", At(0, 0)}, {"end", At(0, 0)}}}}, "/result/0/edit/changes/file:~1~1~1s.vln/0/newText", "\r\n"},
      {"the outline's passages", worked, "textDocument/documentSymbol", Json::object(), "/result/1/name", "[up]"},
      {"a passage is text (String), not a namespace", worked, "textDocument/documentSymbol", Json::object(),
       "/result/1/kind", 15},
      {"a caption's quotes and backslash in a symbol", "[s]Say \"so\" \\ \u3042.\r\n",
       "textDocument/documentSymbol", Json::object(), "/result/0/detail", "Say \"so\" \\ \u3042."},
      {"completion over the bracket an editor closed", "[start]\r\n[road]x\r\nGo>>[ro]\r\n",
       "textDocument/completion", at(2, 7),
       "/result/items/0/textEdit/range/end/character", 8},
  };
  for (const Row& row : rows) {
    Json params = row.params;
    params["textDocument"] = Document;
    const Session session =
        Converse(Initialize() + Open(row.text) + Frame(Request(2, row.method, params)) + Frame(Notification("exit")));
    ASSERT_NE(session.Answer(2), nullptr) << row.reason;
    const Json& answer = *session.Answer(2);
    const Json::json_pointer pointer(row.pointer);
    ASSERT_TRUE(answer.contains(pointer)) << row.reason << "\n" << answer.dump();
    EXPECT_EQ(answer[pointer], row.expected) << row.reason << "\n" << answer.dump();
  }
}

}  // namespace
