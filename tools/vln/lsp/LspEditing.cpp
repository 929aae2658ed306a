// Completion and quick fixes.
#include <algorithm>

#include "tools/vln/lsp/LspRequests.h"
#include "tools/vln/lsp/StoryCompletion.h"
#include "tools/vln/lsp/StoryFixes.h"

namespace {

constexpr int CompletionKindKeyword = 14;
constexpr int CompletionKindReference = 18;

LspReply Completion(LspDocument& document, int64_t pos, const Json&) {
  StoryAnalysis& analysis = document.Analysis();
  Json items = Json::array();
  bool cut = false;
  if (const std::optional<Completions> found = CompletionsAt(analysis, pos)) {
    const CompletionSpot& spot = found->Spot;
    const Json range = document.StoryRange(spot.From, pos - spot.From + spot.ClosingAfter);
    const int kind = spot.What == CompletionSpot::Kind::Keyword ? CompletionKindKeyword : CompletionKindReference;
    for (const CompletionItem& word : found->Items) {
      const std::string text = Utf8Of(word.Word);
      Json item;
      item["label"] = text;
      item["kind"] = kind;
      if (!word.Detail.empty()) item["detail"] = word.Detail;
      item["textEdit"] = {{"range", range}, {"newText", text}};
      items.push_back(std::move(item));
    }
    cut = found->Cut;
  }
  return Json{{"isIncomplete", cut}, {"items", std::move(items)}};
}

bool Overlaps(const Json& a, const Json& b) {
  const auto key = [](const Json& position) {
    return std::pair(IntegerMember(position, "line").value_or(0), IntegerMember(position, "character").value_or(0));
  };
  const Json* aStart = Member(a, "start");
  const Json* aEnd = Member(a, "end");
  const Json* bStart = Member(b, "start");
  const Json* bEnd = Member(b, "end");
  if (!aStart || !aEnd || !bStart || !bEnd) return false;
  return key(*aStart) <= key(*bEnd) && key(*bStart) <= key(*aEnd);
}

LspReply CodeActions(LspDocument& document, const Json& params) {
  const Json* range = Member(params, "range");
  const Json* start = range ? Member(*range, "start") : nullptr;
  const Json* end = range ? Member(*range, "end") : nullptr;
  const std::optional<int64_t> from = start ? document.StoryPosOf(*start) : std::nullopt;
  const std::optional<int64_t> to = end ? document.StoryPosOf(*end) : std::nullopt;
  if (!from || !to) return LspError{LspErrorCode::InvalidParams, "params.range is missing"};
  const Json* context = Member(params, "context");
  const Json* given = context ? Member(*context, "diagnostics") : nullptr;
  Json actions = Json::array();
  for (const StoryFix& fix : FixesWithin(document.Analysis(), *from, *to)) {
    const Json mends = document.StoryRange(fix.Mends.Pos, fix.Mends.Length);
    Json diagnostics = Json::array();
    if (given != nullptr && given->is_array()) {
      for (const Json& diagnostic : *given) {
        const Json* where = Member(diagnostic, "range");
        if (where != nullptr && Overlaps(*where, mends)) diagnostics.push_back(diagnostic);
      }
    }
    Json action;
    action["title"] = fix.Title;
    action["kind"] = "quickfix";
    if (!diagnostics.empty()) action["diagnostics"] = std::move(diagnostics);
    if (fix.Preferred) action["isPreferred"] = true;
    action["edit"] = WorkspaceEditOf(document, fix.Edits);
    actions.push_back(std::move(action));
  }
  return actions;
}

}  // namespace

void AddEditingRequests(LspServer& server) {
  server.AddRequest("textDocument/completion", AtPosition(server, Completion));
  server.AddRequest("textDocument/codeAction", ForDocument(server, CodeActions));
}
