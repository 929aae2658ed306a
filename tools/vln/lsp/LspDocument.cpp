#include "tools/vln/lsp/LspDocument.h"

#include <algorithm>

namespace {

// Moves the tokens of `line` from `character` on by `by` characters, in the
// protocol's numbers: five for each token, its line and start counted from
// the token before. Only the first one moved changes; those after it on the
// line keep their distance to it.
void MoveTokensInLine(std::vector<uint32_t>& data, size_t line, size_t character, int64_t by) {
  size_t at = 0;
  size_t start = 0;
  for (size_t i = 0; i + 4 < data.size(); i += 5) {
    if (data[i] != 0) start = 0;
    at += data[i];
    start += data[i + 1];
    if (at > line) return;
    if (at == line && start >= character) {
      data[i + 1] = static_cast<uint32_t>(static_cast<int64_t>(data[i + 1]) + by);
      return;
    }
  }
}

}  // namespace

LspDocument::LspDocument(std::string uri, int64_t version, std::u16string text,
                         PositionEncoding encoding, SavedLineFeed lineFeeds)
    : uri_(std::move(uri)), version_(version), text_(std::move(text)), encoding_(encoding), lineFeeds_(lineFeeds) {
  Changed();
}

void LspDocument::FileRead(SavedStory file, bool clientSaid) {
  if (!clientSaid) {
    const SavedLineFeed lineFeeds = SavedLineFeedOf(file, text_);
    if (lineFeeds != lineFeeds_) ForgetAnalysis();
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
  const bool taken = analysis_ && analysis_->TakeEditInLine(from, to - from, text);
  if (!taken) ForgetAnalysis();
  // An edit the analysis follows is no token and splits none, and stays on
  // its line: only the markup behind it on that line moves along.
  const bool moveTokens = taken && wholeTokens_.has_value();
  const EditorPosition oldEnd = moveTokens ? PositionAt(*lines_, to, encoding_) : EditorPosition{};
  text_.replace(from, to - from, text);
  lines_->Replaced(text_, from, to - from, text.size());
  if (moveTokens) {
    const EditorPosition newEnd = PositionAt(*lines_, from + text.size(), encoding_);
    MoveTokensInLine(*wholeTokens_, oldEnd.Line, oldEnd.Character,
                     static_cast<int64_t>(newEnd.Character) - static_cast<int64_t>(oldEnd.Character));
  }
  if (taken && outline_) {
    const StoryAnalysis& analysis = *analysis_;
    outline_->EditedLines.push_back(analysis.Lines().LineIndexAt(analysis.Story().StoryPos(from)));
  }
}

void LspDocument::Changed() {
  lines_ = std::make_unique<EditorLines>(text_);
  ForgetAnalysis();
}

void LspDocument::ForgetAnalysis() {
  analysis_.reset();
  wholeTokens_.reset();
  outline_.reset();
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
