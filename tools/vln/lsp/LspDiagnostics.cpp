#include "tools/vln/lsp/LspRequests.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "platform/StoryDecoder.h"

namespace {

// The diagnostics are written as text rather than built as a tree and then
// dumped: a long story has thousands of findings, and the tree of their
// ranges cost as much as the check that found them. The text is what dumping
// that tree gave, key for key.
class DiagnosticsWriter {
 public:
  DiagnosticsWriter(std::string& out, LspDocument& document) : out_(out), document_(document) {}

  void Write() {
    out_ += '[';
    bool first = true;
    for (const CheckFinding& finding : document_.Analysis().Findings()) {
      if (!first) out_ += ',';
      first = false;
      out_ += "{\"range\":";
      Range(finding.Pos, finding.Length);
      out_ += ",\"severity\":";
      out_ += finding.Level == CheckFinding::Severity::Error ? '1' : '2';
      if (!finding.Code.empty()) {
        out_ += ",\"code\":";
        String(finding.Code);
      }
      out_ += ",\"source\":\"vln\",\"message\":";
      String(finding.Message);
      if (!finding.Related.empty()) {
        out_ += ",\"relatedInformation\":[";
        for (size_t i = 0; i < finding.Related.size(); ++i) {
          const CheckFinding::Place& place = finding.Related[i];
          out_ += i == 0 ? "{\"location\":{\"uri\":" : ",{\"location\":{\"uri\":";
          String(document_.Uri());
          out_ += ",\"range\":";
          Range(place.Pos, place.Length);
          out_ += "},\"message\":";
          String(place.Message);
          out_ += '}';
        }
        out_ += ']';
      }
      out_ += '}';
    }
    for (const SavedStory::LoneLineFeed& saved : document_.SavedLoneLineFeeds()) {
      const EditorLines& lines = document_.Lines();
      // The file's line as the editor counts it; an edit since the save may
      // have taken it away.
      if (saved.Line == 0 || saved.Line > lines.Count()) continue;
      if (!first) out_ += ',';
      first = false;
      const size_t line = saved.Line - 1;
      out_ += "{\"range\":{\"start\":";
      Position(lines.End(line));
      out_ += ",\"end\":";
      Position(line + 1 < lines.Count() ? lines.Start(line + 1) : lines.End(line));
      out_ += "},\"severity\":";
      out_ += saved.Finding.Level == CheckFinding::Severity::Error ? '1' : '2';
      out_ += ",\"code\":";
      String(saved.Finding.Code);
      out_ += ",\"source\":\"vln\",\"message\":";
      String(saved.Finding.Message + " (in the file as saved; the editor holds a line break here and writes it when it saves)");
      out_ += '}';
    }
    out_ += ']';
  }

 private:
  void Range(int64_t pos, int64_t length) {
    const EditorStory& story = document_.Analysis().Story();
    const size_t from = story.EditorOffset(pos);
    const size_t to = std::max(from, story.EditorOffset(pos + std::max<int64_t>(length, 0)));
    out_ += "{\"start\":";
    Position(from);
    out_ += ",\"end\":";
    Position(to);
    out_ += '}';
  }

  void Position(size_t offset) {
    const EditorPosition at = PositionAt(document_.Lines(), offset, document_.Encoding());
    out_ += "{\"line\":";
    Number(at.Line);
    out_ += ",\"character\":";
    Number(at.Character);
    out_ += '}';
  }

  void Number(size_t value) {
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, value);
    out_.append(digits, written.ptr);
  }

  // Well-formed UTF-8 goes as it is, its quotes and backslashes escaped; a
  // control character or a malformed byte is left to the library, which
  // then writes it as it always did.
  void String(const std::string& text) {
    const bool control = std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (control || !IsUtf8(text)) {
      out_ += JsonText(Json(text));
      return;
    }
    out_ += '"';
    size_t from = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] != '"' && text[i] != '\\') continue;
      out_.append(text, from, i - from);
      out_ += '\\';
      from = i;
    }
    out_.append(text, from);
    out_ += '"';
  }

  std::string& out_;
  LspDocument& document_;
};

}  // namespace

void AppendDiagnosticsText(std::string& out, LspDocument& document) { DiagnosticsWriter(out, document).Write(); }

std::string DiagnosticsText(LspDocument& document) {
  std::string out;
  AppendDiagnosticsText(out, document);
  return out;
}
