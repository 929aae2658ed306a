#include "tools/vln/lsp/StoryCompletion.h"

#include "story/StoryStrings.h"
#include "tools/vln/lsp/StoryLabels.h"
#include "tools/vln/reading/LineMarkup.h"
#include "tools/vln/reading/Utf8.h"

namespace {

bool IsSpace(char16_t c) { return c == u' ' || c == u'\u3000'; }

size_t SkipSpaces(std::u16string_view text, size_t from) {
  while (from < text.size() && IsSpace(text[from])) ++from;
  return from;
}

bool IsLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

}  // namespace

std::optional<CompletionSpot> CompletionAt(StoryAnalysis& analysis, int64_t pos) {
  const auto& lines = analysis.Lines().Lines();
  if (lines.empty()) return std::nullopt;
  const StoryLines::Line& line = lines[analysis.Lines().LineIndexAt(pos)];
  if (pos < line.Start || pos > line.End) return std::nullopt;
  // Only what stands before the cursor decides, as it would if the line
  // ended there.
  const std::u16string_view before = line.Text.substr(0, static_cast<size_t>(pos - line.Start));
  size_t from = SkipSpaces(before, 0);
  if (from < before.size() && before[from] == u'[') {
    const size_t close = before.find(u']', from);
    if (close == std::u16string_view::npos) return std::nullopt;  // still typing the line's own label
    from = close + 1;
  }
  const std::u16string_view rest = before.substr(from);
  const bool closed = before.size() < line.Text.size() && line.Text[before.size()] == u']';
  const auto spot = [&](CompletionSpot::Kind kind, size_t start) {
    start = std::min(start, before.size());
    const int64_t closing = kind == CompletionSpot::Kind::Label && closed ? 1 : 0;
    return CompletionSpot{kind, line.Start + static_cast<int64_t>(start), before.substr(start), closing};
  };
  const auto afterLastComma = [&](size_t listStart) {
    const size_t comma = before.rfind(u',');
    return comma != std::u16string_view::npos && comma >= listStart ? comma + 1 : SkipSpaces(before, listStart);
  };
  if (const int64_t choice = StoryFind(1, rest, u"??"); choice > 0) {
    return spot(CompletionSpot::Kind::Label, afterLastComma(from + static_cast<size_t>(choice) + 1));
  }
  if (StoryFind(1, rest, u"::") > 0) {
    size_t start = before.size();
    while (start > 0 && IsLetter(before[start - 1])) --start;
    return spot(CompletionSpot::Kind::Keyword, start);
  }
  if (const int64_t jump = StoryFind(1, rest, u">>"); jump > 0) {
    size_t names = from + static_cast<size_t>(jump) + 1;
    // ">>A[": the letter is a conditional jump's, and a name begins after
    // it; ">>Apple" is a plain target still being typed.
    if (names < before.size() && before[names] >= u'A' && before[names] <= u'E' &&
        (names + 1 == before.size() || before[names + 1] == u'[' || before[names + 1] == u',')) {
      ++names;
    }
    return spot(CompletionSpot::Kind::Label, afterLastComma(names));
  }
  return std::nullopt;
}

std::optional<Completions> CompletionsAt(StoryAnalysis& analysis, int64_t pos) {
  const std::optional<CompletionSpot> spot = CompletionAt(analysis, pos);
  if (!spot) return std::nullopt;
  Completions found{*spot, {}, false};
  // Whether `word` is one more to offer; false once the list is full.
  const auto fits = [&](std::u16string_view word) {
    if (!word.starts_with(spot->Typed)) return false;
    if (found.Items.size() == MaxCompletions) {
      found.Cut = true;
      return false;
    }
    return true;
  };
  if (spot->What == CompletionSpot::Kind::Keyword) {
    for (const std::u16string_view keyword : CommandKeywords) {
      if (fits(keyword)) found.Items.push_back({keyword, ""});
    }
  } else {
    const StoryLines& lines = analysis.Lines();
    for (const StoryLabel& label : StoryLabelsOf(lines)) {
      if (!fits(label.Label)) continue;
      const StoryLines::Line& line = lines.Lines()[label.Line];
      found.Items.push_back({label.Label, "line " + std::to_string(lines.FileLineAt(line.Start)) + ": " +
                                              Utf16ToUtf8(ReadLineMarkup(line.Text).Shown)});
    }
  }
  return found;
}
