#include "tools/vln/lsp/LspRequests.h"

#include <string>

#include "tools/vln/lsp/LspTextWriter.h"

namespace {

class DiagnosticsWriter {
 public:
  DiagnosticsWriter(std::string& out, LspDocument& document) : out_(out, document), document_(document) {}

  void Write() {
    out_.Raw('[');
    bool first = true;
    for (const CheckFinding& finding : document_.Analysis().Findings()) {
      if (!first) out_.Raw(',');
      first = false;
      out_.Raw("{\"range\":");
      out_.StoryRange(finding.Pos, finding.Length);
      out_.Raw(",\"severity\":");
      out_.Raw(finding.Level == CheckFinding::Severity::Error ? '1' : '2');
      if (!finding.Code.empty()) {
        out_.Raw(",\"code\":");
        out_.String(finding.Code);
      }
      out_.Raw(",\"source\":\"vln\",\"message\":");
      out_.String(finding.Message);
      if (!finding.Related.empty()) {
        out_.Raw(",\"relatedInformation\":[");
        for (size_t i = 0; i < finding.Related.size(); ++i) {
          const CheckFinding::Place& place = finding.Related[i];
          out_.Raw(i == 0 ? "{\"location\":{\"uri\":" : ",{\"location\":{\"uri\":");
          out_.String(document_.Uri());
          out_.Raw(",\"range\":");
          out_.StoryRange(place.Pos, place.Length);
          out_.Raw("},\"message\":");
          out_.String(place.Message);
          out_.Raw('}');
        }
        out_.Raw(']');
      }
      out_.Raw('}');
    }
    out_.Raw(']');
  }

 private:
  LspTextWriter out_;
  LspDocument& document_;
};

}  // namespace

void AppendDiagnosticsText(std::string& out, LspDocument& document) { DiagnosticsWriter(out, document).Write(); }

std::string DiagnosticsText(LspDocument& document) {
  std::string out;
  AppendDiagnosticsText(out, document);
  return out;
}
