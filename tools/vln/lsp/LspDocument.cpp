#include "tools/vln/lsp/LspDocument.h"

#include <algorithm>

LspDocument::LspDocument(std::string uri, int64_t version, std::u16string text,
                         PositionEncoding encoding, SavedLineFeed lineFeeds)
    : uri_(std::move(uri)), version_(version), text_(std::move(text)), encoding_(encoding), lineFeeds_(lineFeeds) {
  Changed();
}

void LspDocument::FileRead(SavedStory file, bool clientSaid) {
  if (!clientSaid) {
    const SavedLineFeed lineFeeds = SavedLineFeedOf(file, text_);
    if (lineFeeds != lineFeeds_) analysis_.reset();
    lineFeeds_ = lineFeeds;
  }
  savedLoneLineFeeds_ = std::move(file.LoneLineFeeds);
}

const std::vector<SavedStory::LoneLineFeed>& LspDocument::SavedLoneLineFeeds() {
  static const std::vector<SavedStory::LoneLineFeed> None;
  if (savedLoneLineFeeds_.empty()) return None;
  for (const CheckFinding& finding : Analysis().Findings()) {
    if (finding.Code == "lone-line-feed") return None;
  }
  return savedLoneLineFeeds_;
}

void LspDocument::Replace(std::u16string text, int64_t version) {
  text_ = std::move(text);
  version_ = version;
  Changed();
}

void LspDocument::Edit(size_t from, size_t to, std::u16string_view text) {
  if (from > to) std::swap(from, to);
  from = std::min(from, text_.size());
  to = std::min(to, text_.size());
  if (!analysis_ || !analysis_->TakeEditInLine(from, to - from, text)) {
    analysis_.reset();
    wholeTokens_.reset();
  }
  text_.replace(from, to - from, text);
  lines_->Replaced(text_, from, to - from, text.size());
}

void LspDocument::Changed() {
  lines_ = std::make_unique<EditorLines>(text_);
  analysis_.reset();
  wholeTokens_.reset();
}

StoryAnalysis& LspDocument::Analysis() {
  if (!analysis_) analysis_ = std::make_unique<StoryAnalysis>(text_, lineFeeds_);
  return *analysis_;
}

std::optional<size_t> LspDocument::OffsetOf(const Json& position) const {
  const std::optional<int64_t> line = IntegerMember(position, "line");
  const std::optional<int64_t> character = IntegerMember(position, "character");
  if (!line || !character || *line < 0 || *character < 0) return std::nullopt;
  return OffsetAt(*lines_, {static_cast<size_t>(*line), static_cast<size_t>(*character)}, encoding_);
}

Json LspDocument::PositionOf(size_t offset) const {
  const EditorPosition at = PositionAt(*lines_, offset, encoding_);
  Json position;
  position["line"] = at.Line;
  position["character"] = at.Character;
  return position;
}

Json LspDocument::RangeOf(size_t from, size_t to) const {
  Json range;
  range["start"] = PositionOf(from);
  range["end"] = PositionOf(std::max(from, to));
  return range;
}

Json LspDocument::StoryRange(int64_t pos, int64_t length) {
  const EditorStory& story = Analysis().Story();
  return RangeOf(story.EditorOffset(pos), story.EditorOffset(pos + std::max<int64_t>(length, 0)));
}

std::optional<int64_t> LspDocument::StoryPosOf(const Json& position) {
  const std::optional<size_t> offset = OffsetOf(position);
  if (!offset) return std::nullopt;
  return Analysis().Story().StoryPos(*offset);
}
