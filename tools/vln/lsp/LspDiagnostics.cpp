#include "tools/vln/lsp/LspRequests.h"

#include <algorithm>
#include <string>

namespace {

// The diagnostics are written as text rather than built as a tree and then
// dumped: a long story has thousands of findings, and the tree of their
// ranges cost as much as the check that found them. The text is what dumping
// that tree gave, key for key.
class DiagnosticsWriter {
 public:
  explicit DiagnosticsWriter(LspDocument& document) : document_(document) {}

  std::string Write() {
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
    out_ += ']';
    return std::move(out_);
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
    out_ += std::to_string(at.Line);
    out_ += ",\"character\":";
    out_ += std::to_string(at.Character);
    out_ += '}';
  }

  // Plain text goes as it is; anything the protocol's JSON must escape or
  // mend is left to the library, which then writes it as it always did.
  void String(const std::string& text) {
    bool plain = true;
    for (const char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte < 0x20 || byte >= 0x80 || c == '"' || c == '\\') {
        plain = false;
        break;
      }
    }
    if (plain) {
      out_ += '"';
      out_ += text;
      out_ += '"';
    } else {
      out_ += JsonText(Json(text));
    }
  }

  LspDocument& document_;
  std::string out_;
};

}  // namespace

std::string DiagnosticsText(LspDocument& document) { return DiagnosticsWriter(document).Write(); }
