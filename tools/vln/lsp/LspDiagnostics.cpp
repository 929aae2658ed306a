#include "tools/vln/lsp/LspRequests.h"

Json DiagnosticsOf(LspDocument& document) {
  Json diagnostics = Json::array();
  for (const CheckFinding& finding : document.Analysis().Findings()) {
    Json diagnostic;
    diagnostic["range"] = document.StoryRange(finding.Pos, finding.Length);
    diagnostic["severity"] = finding.Level == CheckFinding::Severity::Error ? 1 : 2;
    if (!finding.Code.empty()) diagnostic["code"] = finding.Code;
    diagnostic["source"] = "vln";
    diagnostic["message"] = finding.Message;
    if (!finding.Related.empty()) {
      Json related = Json::array();
      for (const CheckFinding::Place& place : finding.Related) {
        related.push_back({{"location", {{"uri", document.Uri()}, {"range", document.StoryRange(place.Pos, place.Length)}}},
                           {"message", place.Message}});
      }
      diagnostic["relatedInformation"] = std::move(related);
    }
    diagnostics.push_back(std::move(diagnostic));
  }
  return diagnostics;
}
