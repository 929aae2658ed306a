// Definition, references, rename and the count of ways in above each label.
#include "tools/vln/lsp/LspRequests.h"
#include "tools/vln/lsp/LspTextWriter.h"
#include "tools/vln/lsp/LspServer.h"
#include "tools/vln/lsp/StoryLabels.h"
#include "tools/vln/lsp/StoryNavigation.h"
#include "tools/vln/lsp/StoryRename.h"
#include "tools/vln/reading/Utf8.h"

namespace {

// A name is typed; one longer than this is no label anyone reads, and every
// target naming it would carry it too.
constexpr size_t MaxNewNameBytes = 1024;

Json Location(LspDocument& document, const StoryPlace& place) {
  return {{"uri", document.Uri()}, {"range", document.StoryRange(place.Pos, place.Length)}};
}

LspReply Definition(LspDocument& document, int64_t pos, const Json&) {
  const std::optional<StoryPlace> place = LandingPlaceAt(document.Analysis(), pos);
  if (!place) return Json(nullptr);
  return Location(document, *place);
}

LspReply References(LspDocument& document, int64_t pos, const Json& params) {
  StoryAnalysis& analysis = document.Analysis();
  Json locations = Json::array();
  const std::optional<size_t> line = LineAskedAbout(analysis, pos);
  if (!line) return locations;
  const Json* context = Member(params, "context");
  const Json* declaration = context ? Member(*context, "includeDeclaration") : nullptr;
  const StoryLines::Line& target = analysis.Lines().Lines()[*line];
  const std::u16string_view label = LineLabel(target.Text);
  if (declaration != nullptr && declaration->is_boolean() && declaration->get<bool>() && !label.empty()) {
    locations.push_back(Location(document, {target.Start, static_cast<int64_t>(label.size())}));
  }
  for (const WayIn& way : WaysInto(analysis, *line)) locations.push_back(Location(document, way.Place));
  return locations;
}

LspReply PrepareRename(LspDocument& document, int64_t pos, const Json&) {
  std::string why;
  const std::optional<RenameSpot> spot = RenameSpotAt(document.Analysis(), pos, why);
  if (!spot) return LspError{LspErrorCode::RequestFailed, why};
  const std::u16string_view name = spot->Label.substr(1, spot->Label.size() - 2);
  return Json{{"range", document.StoryRange(spot->Name.Pos, spot->Name.Length)}, {"placeholder", Utf8Of(name)}};
}

LspReply Rename(LspDocument& document, int64_t pos, const Json& params) {
  const std::optional<std::string> newName = StringMember(params, "newName");
  if (!newName) return LspError{LspErrorCode::InvalidParams, "params.newName is missing"};
  if (newName->size() > MaxNewNameBytes) {
    return LspError{LspErrorCode::InvalidParams, "params.newName is " + std::to_string(newName->size()) +
                                                     " bytes long; a label's new name is at most " +
                                                     std::to_string(MaxNewNameBytes)};
  }
  std::string why;
  const std::vector<StoryEdit> edits = RenameLabel(document.Analysis(), pos, Utf8ToUtf16(*newName), why);
  if (edits.empty()) return LspError{LspErrorCode::RequestFailed, why};
  return WorkspaceEditOf(document, edits);
}

LspReply CodeLens(LspDocument& document, const Json&) {
  StoryAnalysis& analysis = document.Analysis();
  LspResultText reply;
  LspTextWriter out(reply.Text, document);
  out.Raw('[');
  for (const LabelWays& ways : analysis.WaysIntoLabels()) {
    const int64_t start = analysis.Lines().Lines()[ways.Line].Start;
    out.Raw(reply.Text.size() == 1 ? "{\"range\":" : ",{\"range\":");
    out.StoryRange(start, 0);
    out.Raw(",\"command\":{\"title\":\"");
    out.Number(ways.Count);
    out.Raw(ways.Count == 1 ? " way in\",\"command\":\"\"}}" : " ways in\",\"command\":\"\"}}");
  }
  out.Raw(']');
  return reply;
}

}  // namespace

void AddNavigationRequests(LspServer& server) {
  server.AddRequest("textDocument/definition", AtPosition(server, Definition));
  server.AddRequest("textDocument/references", AtPosition(server, References));
  server.AddRequest("textDocument/prepareRename", AtPosition(server, PrepareRename));
  server.AddRequest("textDocument/rename", AtPosition(server, Rename));
  server.AddRequest("textDocument/codeLens", ForDocument(server, CodeLens));
}
