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
    for (const SavedStory::LoneLineFeed& saved : document_.SavedLoneLineFeeds()) {
      const EditorLines& lines = document_.Lines();
      // The file's line as the editor counts it; an edit since the save may
      // have taken it away.
      if (saved.Line == 0 || saved.Line > lines.Count()) continue;
      if (!first) out_.Raw(',');
      first = false;
      const size_t line = saved.Line - 1;
      out_.Raw("{\"range\":{\"start\":");
      out_.Position(lines.End(line));
      out_.Raw(",\"end\":");
      out_.Position(line + 1 < lines.Count() ? lines.Start(line + 1) : lines.End(line));
      out_.Raw("},\"severity\":");
      out_.Raw(saved.Finding.Level == CheckFinding::Severity::Error ? '1' : '2');
      out_.Raw(",\"code\":");
      out_.String(saved.Finding.Code);
      out_.Raw(",\"source\":\"vln\",\"message\":");
      out_.String(saved.Finding.Message + " (in the file as saved; the editor holds a line break here and writes it when it saves)");
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
