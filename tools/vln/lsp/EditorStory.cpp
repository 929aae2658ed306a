#include "tools/vln/lsp/EditorStory.h"

#include <algorithm>

#include "platform/HeadlessWindow.h"
#include "story/StoryState.h"
#include "story/mdlRead.h"
#include "tools/vln/lsp/EditorTextInput.h"

namespace {

// The text the reader's loader is given. Where the editor writes a lone LF
// as a break, that LF stands there as a lone CR: a break for the loader of
// the same length, so that every offset stays where it is.
std::u16string_view ReadAs(std::u16string_view editorText, SavedLineFeed lineFeeds, std::u16string& converted) {
  if (lineFeeds == SavedLineFeed::AsItIs || editorText.find(u'\n') == std::u16string_view::npos) return editorText;
  converted.assign(editorText);
  for (size_t i = 0; i < converted.size(); ++i) {
    if (converted[i] == u'\n' && (i == 0 || editorText[i - 1] != u'\r')) converted[i] = u'\r';
  }
  return converted;
}

}  // namespace

// The lines are read from the story text, so the text is loaded first, on
// the way to them.
EditorStory::EditorStory(std::u16string_view editorText, SavedLineFeed lineFeeds)
    : lines_((Load(editorText, lineFeeds), text_)), editorSize_(editorText.size()) {
  const bool lineFeedBreaks = lineFeeds == SavedLineFeed::AsBreak;
  holdsCrLf_ = editorText.find(u"\r\n") != std::u16string_view::npos;
  if (const size_t cr = editorText.find(u'\r'); cr != std::u16string_view::npos) {
    const bool crLf = cr + 1 < editorText.size() && editorText[cr + 1] == u'\n';
    newLineBreak_ = crLf ? u"\r\n" : u"\r";
  } else if (lineFeedBreaks) {
    newLineBreak_ = u"\n";
  }
  endsWithBreak_ = !editorText.empty() &&
                   (editorText.back() == u'\r' ||
                    (editorText.back() == u'\n' &&
                     (lineFeedBreaks || (editorText.size() >= 2 && editorText[editorText.size() - 2] == u'\r'))));
}

void EditorStory::Load(std::u16string_view editorText, SavedLineFeed lineFeeds) {
  std::u16string converted;
  EditorTextInput input(ReadAs(editorText, lineFeeds, converted));
  HeadlessWindow dialog;
  dialog.SetStandingDialogAnswer("document");
  StoryState story;
  text_ = LoadStory(story, dialog, input);
  if (text_.empty()) return;
  const auto& spans = input.Spans();
  origins_.reserve(spans.size());
  for (size_t i = 0; i < spans.size(); ++i) {
    const size_t end = spans[i].Start + spans[i].Length;
    const size_t next = i + 1 < spans.size() ? spans[i + 1].Start : editorText.size();
    origins_.push_back({spans[i].Start, next - end});
  }
}

size_t EditorStory::EditorOffset(int64_t pos) const {
  const auto& lines = lines_.Lines();
  if (lines.empty() || pos < 1) return 0;
  const size_t index = lines_.LineIndexAt(pos);
  const StoryLines::Line& line = lines[index];
  const Origin& origin = origins_[index];
  const auto length = static_cast<int64_t>(line.Text.size());
  const int64_t inside = pos - line.Start;
  if (inside <= length) return origin.EditorStart + static_cast<size_t>(inside);
  const size_t end = origin.EditorStart + static_cast<size_t>(length);
  // On the LF of the story's CR LF, or past the story's end.
  if (inside == length + 1) return end + std::min<size_t>(origin.BreakLength, 1);
  return end + origin.BreakLength;
}

int64_t EditorStory::StoryPos(size_t offset) const {
  const auto& lines = lines_.Lines();
  if (lines.empty()) return 1;
  const auto after = std::upper_bound(origins_.begin(), origins_.end(), offset,
                                      [](size_t o, const Origin& origin) { return o < origin.EditorStart; });
  const size_t index = after == origins_.begin() ? 0 : static_cast<size_t>(after - origins_.begin()) - 1;
  const StoryLines::Line& line = lines[index];
  const size_t inside = offset - origins_[index].EditorStart;
  if (inside <= line.Text.size()) return line.Start + static_cast<int64_t>(inside);
  // Inside the break: the CR, then the LF (a lone CR has none of its own).
  return line.End + std::min<int64_t>(static_cast<int64_t>(inside - line.Text.size()), 2);
}
