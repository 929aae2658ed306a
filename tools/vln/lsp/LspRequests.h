#pragma once

#include <optional>

#include "tools/vln/lsp/LspDocument.h"
#include "tools/vln/lsp/LspJson.h"
#include "tools/vln/lsp/LspServer.h"
#include "tools/vln/lsp/StoryRename.h"

// Registers every request about a story's text with the server; each group
// lives in a file of its own.
void AddStoryRequests(LspServer& server);
void AddNavigationRequests(LspServer& server);
void AddEditingRequests(LspServer& server);
void AddViewRequests(LspServer& server);
void AddExtensionRequests(LspServer& server);

// The document's check findings as the protocol's diagnostics: the JSON
// text of their array, appended to `out`.
void AppendDiagnosticsText(std::string& out, LspDocument& document);
std::string DiagnosticsText(LspDocument& document);

// Story edits as a WorkspaceEdit on the document.
Json WorkspaceEditOf(LspDocument& document, const std::vector<StoryEdit>& edits);

// The story position at params.position, nothing when it is missing.
std::optional<int64_t> StoryPosAt(LspDocument& document, const Json& params);

// Runs `answer` on the document a request names, or says that it is not
// open.
template <typename Answer>
LspServer::Handler ForDocument(LspServer& server, Answer answer) {
  return [&server, answer](const Json& params) -> LspReply {
    LspDocument* document = server.DocumentOf(params);
    if (document == nullptr) return LspError{LspErrorCode::InvalidParams, "the document is not open"};
    return answer(*document, params);
  };
}

// The same with the story position a request names.
template <typename Answer>
LspServer::Handler AtPosition(LspServer& server, Answer answer) {
  return ForDocument(server, [answer](LspDocument& document, const Json& params) -> LspReply {
    const std::optional<int64_t> pos = StoryPosAt(document, params);
    if (!pos) return LspError{LspErrorCode::InvalidParams, "params.position is missing"};
    return answer(document, *pos, params);
  });
}
