// The language server through its byte streams: framing, the order of the
// conversation, hostile messages, positions in UTF-16 and UTF-8, and the
// editor ranges the answers carry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fuzz/MemoryStreams.h"
#include "tools/vln/lsp/LspFraming.h"
#include "tools/vln/lsp/LspJson.h"
#include "tools/vln/lsp/LspServer.h"
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

Session Converse(const std::string& input) {
  // A few bytes at a time, so that every message is cut somewhere.
  MemoryBytesIn in(input, 7);
  MemoryBytesOut out;
  Session session;
  session.status = RunLspSession(in, out);
  MemoryBytesIn replies(out.Bytes, out.Bytes.size());
  LspFrameReader reader(replies, 1 << 30);
  for (LspFrame frame = reader.Next(); frame.FrameKind == LspFrame::Kind::Message; frame = reader.Next()) {
    session.messages.push_back(Json::parse(frame.Body));
  }
  return session;
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
  };
  for (const Row& row : rows) {
    const Session session = Converse(row.input);
    EXPECT_EQ(session.status, row.status) << row.reason;
    const Json* answer = session.Answer(2);
    ASSERT_NE(answer, nullptr) << row.reason;
    EXPECT_EQ(answer->contains("error") ? (*answer)["error"]["code"].get<int>() : 0, row.errorCode) << row.reason;
  }
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
  const std::vector<Row> rows = {
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
