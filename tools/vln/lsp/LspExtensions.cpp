// velnori/map and velnori/play: what the author's tool's map and play give,
// for the document's current text, for editor extensions to show beside it.
#include "tools/vln/lsp/EditorTextInput.h"
#include "tools/vln/lsp/NamedTextInput.h"
#include "tools/vln/lsp/LspRequests.h"
#include "tools/vln/map/MapDot.h"
#include "tools/vln/map/MapRender.h"
#include "tools/vln/map/StoryMap.h"
#include "tools/vln/play/PlayEvent.h"
#include "tools/vln/play/PlayReplay.h"
#include "tools/vln/play/PlayReport.h"
#include "tools/vln/reading/Utf8.h"

#include <map>
#include <string>

namespace {

// An SVG layout holds every other request until it is done, and its time
// and memory grow faster than the map: 300 passages with 1,500 ways between
// them take about a second, 1,000 such passages minutes and gigabytes.
// Larger maps are refused; their DOT comes at once, for a layout elsewhere.
constexpr size_t MaxSvgPassages = 300;
constexpr size_t MaxSvgEdges = 1500;
// Each step carries the whole state of the reader: a list this long already
// reads through a long story many times over.
constexpr size_t MaxPlayEvents = 10000;

LspReply Map(LspDocument& document, const Json& params) {
  const std::string format = StringMember(params, "format").value_or("dot");
  if (format != "dot" && format != "svg") {
    return LspError{LspErrorCode::InvalidParams, "format is \"dot\" or \"svg\", not \"" + format + "\""};
  }
  StoryAnalysis& analysis = document.Analysis();
  const StoryMap& map = analysis.Map();
  Json result;
  // Which text the map is of: an editor may have sent a newer one since.
  result["version"] = document.Version();
  result["format"] = "dot";
  result["text"] = StoryMapDot(map);
  if (format == "svg" && CanRenderMaps() &&
      (map.Passages.size() > MaxSvgPassages || map.Edges.size() > MaxSvgEdges)) {
    return LspError{LspErrorCode::RequestFailed,
                    "the map has " + std::to_string(map.Passages.size()) + " passages and " +
                        std::to_string(map.Edges.size()) + " ways between them; the server lays out at most " +
                        std::to_string(MaxSvgPassages) + " and " + std::to_string(MaxSvgEdges) +
                        " as SVG: ask for \"dot\", or run vln map, which lays out any size"};
  }
  // Too big a map to lay out still has its DOT, at once.
  const std::optional<MapLayout> layout = MapLayoutFor(map.Passages.size());
  if (format == "svg" && CanRenderMaps() && layout) {
    std::string image;
    if (const std::string problem = RenderDot(result["text"].get<std::string>(), "svg", *layout, image);
        !problem.empty()) {
      return LspError{LspErrorCode::RequestFailed, problem};
    }
    result["format"] = "svg";
    result["text"] = std::move(image);
  }
  Json passages = Json::array();
  const auto& lines = analysis.Lines().Lines();
  for (const StoryMap::Passage& passage : map.Passages) {
    const int64_t start = lines[passage.FirstLine].Start;
    passages.push_back({{"id", "L" + std::to_string(passage.FileLine)},
                        {"label", Utf8Of(passage.Label)},
                        {"range", document.StoryRange(start, lines[passage.LastLine].End - start)}});
  }
  result["passages"] = std::move(passages);
  // What a view that lays the DOT out itself should do with it.
  result["layout"] = !layout ? "none" : *layout == MapLayout::Quick ? "quick" : "full";
  return result;
}

LspReply Play(LspDocument& document, const Json& params) {
  std::vector<PlayEvent> events;
  if (const Json* given = Member(params, "events")) {
    if (!given->is_array()) return LspError{LspErrorCode::InvalidParams, "events is a list of event names"};
    if (given->size() > MaxPlayEvents) {
      return LspError{LspErrorCode::InvalidParams, "events lists " + std::to_string(given->size()) +
                                                       " events; at most " + std::to_string(MaxPlayEvents) +
                                                       " are played at a time"};
    }
    for (const Json& word : *given) {
      std::optional<PlayEvent> event = word.is_string() ? ParsePlayEvent(word.get<std::string>()) : std::nullopt;
      if (!event) return LspError{LspErrorCode::InvalidParams, "unknown event " + JsonText(word)};
      events.push_back(std::move(*event));
    }
  }
  StoryAnalysis& analysis = document.Analysis();
  std::optional<int32_t> from;
  if (const Json* line = Member(params, "fromLine"); line != nullptr && !line->is_null()) {
    const std::optional<int64_t> number = IntegerMember(params, "fromLine");
    if (!number || *number < 0 || static_cast<size_t>(*number) >= document.Lines().Count()) {
      return LspError{LspErrorCode::InvalidParams, "fromLine is no line of the document"};
    }
    from = static_cast<int32_t>(analysis.Story().StoryPos(document.Lines().Start(static_cast<size_t>(*number))));
  }

  const auto stepJson = [&](const PlayStep& step) {
    // The object vln play --json prints; a protocol message holds characters
    // only, so a lone surrogate unit comes as U+FFFD.
    Json json = Json::parse(PlayJsonLine(step, LoneSurrogates::Replaced), nullptr, false);
    json["line"] = step.ShownFrom ? Json(document.PositionOf(analysis.Story().EditorOffset(*step.ShownFrom))["line"])
                                  : Json(nullptr);
    return json;
  };
  // The document's own text is the story, whatever the Open dialog names,
  // but for the names "stories" gives texts of their own.
  std::map<std::string, std::u16string> stories;
  if (const Json* given = Member(params, "stories"); given != nullptr && !given->is_null()) {
    if (!given->is_object()) return LspError{LspErrorCode::InvalidParams, "stories maps names to texts"};
    for (const auto& [name, text] : given->items()) {
      if (!text.is_string()) return LspError{LspErrorCode::InvalidParams, "the story " + name + " is no text"};
      stories.emplace(name, Utf8ToUtf16(text.get<std::string>()));
    }
  }
  NamedTextInput input(document.Text(), std::move(stories));
  Json steps = Json::array();
  // "open": false begins before any story, as the reader does; its Open
  // dialog answers the document.
  const Json* open = Member(params, "open");
  const bool opened = open == nullptr || !open->is_boolean() || open->get<bool>();
  for (const PlayStep& step : opened ? ReplayFromOpen("document", input, events, from)
                                     : ReplayFromStart("document", input, events)) {
    steps.push_back(stepJson(step));
  }
  return Json{{"steps", std::move(steps)}};
}

}  // namespace

void AddExtensionRequests(LspServer& server) {
  server.AddRequest("velnori/map", ForDocument(server, Map));
  server.AddRequest("velnori/play", ForDocument(server, Play));
}
