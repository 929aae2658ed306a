#include "tools/vln/lsp/LspRequests.h"

#include "tools/vln/lsp/LspServer.h"

void AddStoryRequests(LspServer& server) {
  AddNavigationRequests(server);
  AddEditingRequests(server);
  AddViewRequests(server);
  AddExtensionRequests(server);
}

Json WorkspaceEditOf(LspDocument& document, const std::vector<StoryEdit>& edits) {
  Json changes = Json::array();
  for (const StoryEdit& edit : edits) {
    changes.push_back({{"range", document.StoryRange(edit.Pos, edit.Length)}, {"newText", Utf8Of(edit.Text)}});
  }
  Json workspaceEdit;
  workspaceEdit["changes"][document.Uri()] = std::move(changes);
  return workspaceEdit;
}

std::optional<int64_t> StoryPosAt(LspDocument& document, const Json& params) {
  const Json* position = Member(params, "position");
  if (position == nullptr) return std::nullopt;
  return document.StoryPosOf(*position);
}
