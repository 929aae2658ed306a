#include "tools/vln/lsp/StoryTokens.h"

#include <algorithm>

#include "story/StoryStrings.h"
#include "tools/vln/lsp/StoryCompletion.h"
#include "tools/vln/reading/LineMarkup.h"

namespace {

using Kind = StoryToken::Kind;

class LineTokens {
 public:
  LineTokens(std::u16string_view text, std::vector<StoryToken>& out) : text_(text), out_(out) {}

  void Add(std::u16string_view part, size_t length, Kind kind) {
    if (length == 0 || part.data() == nullptr) return;
    out_.push_back({static_cast<int64_t>(part.data() - text_.data()) + 1, static_cast<int64_t>(length), kind});
  }
  void Add(std::u16string_view part, Kind kind) { Add(part, part.size(), kind); }

  // The command, with each keyword the interpreter would find in it, read
  // from the left; the rest of the command between them.
  void AddCommand(std::u16string_view command) {
    const std::u16string upper = StoryUpperCase(command);
    size_t plain = 0;
    for (size_t i = 0; i < upper.size();) {
      size_t matched = 0;
      for (const std::u16string_view keyword : CommandKeywords) {
        if (keyword.size() > matched && std::u16string_view(upper).substr(i).starts_with(keyword)) {
          matched = keyword.size();
        }
      }
      if (matched == 0) {
        ++i;
        continue;
      }
      Add(command.substr(plain, i - plain), Kind::Command);
      if (upper[i + 1] == u'O') {  // xON, xOFF: the flag's letter, then the switch
        Add(command.substr(i, 1), Kind::Flag);
        Add(command.substr(i + 1, matched - 1), Kind::Keyword);
      } else {
        Add(command.substr(i, matched), Kind::Keyword);
      }
      i += matched;
      plain = i;
    }
    Add(command.substr(plain), Kind::Command);
  }

 private:
  std::u16string_view text_;
  std::vector<StoryToken>& out_;
};

}  // namespace

std::vector<StoryToken> StoryTokensOf(const StoryAnalysis& analysis, size_t firstLine, size_t endLine) {
  std::vector<StoryToken> tokens;
  LineTokens line(analysis.Text(), tokens);
  const auto& lines = analysis.Lines().Lines();
  for (size_t index = firstLine; index < std::min(endLine, lines.size()); ++index) {
    const StoryLines::Line& storyLine = lines[index];
    const size_t first = tokens.size();
    const LineMarkup markup = ReadLineMarkup(storyLine.Text);
    line.Add(markup.Label, Kind::Label);
    if (markup.HasJump()) {
      const std::u16string_view marker = markup.JumpMarker();
      line.Add(marker, 2, Kind::JumpMarker);
      if (markup.Flag < 0) {
        line.Add(markup.PlainTarget, Kind::Target);
      } else {
        if (markup.MarkerAt == markup.JumpAt) {
          line.Add(marker.substr(2), 1, Kind::Flag);
        } else {
          // The marker that decides stands further on.
          const std::u16string_view deciding = markup.Rest.substr(static_cast<size_t>(markup.MarkerAt - 1));
          line.Add(deciding, 2, Kind::JumpMarker);
          line.Add(deciding.substr(2), 1, Kind::Flag);
        }
        line.Add(ListItemView(markup.Names, 0), Kind::Target);
        line.Add(ListItemView(markup.Names, 1), Kind::Target);
      }
    }
    if (markup.HasCommand) {
      line.Add(markup.CommandMarker, 2, Kind::CommandMarker);
      line.AddCommand(markup.Command);
    }
    if (markup.HasChoice) {
      line.Add(markup.ChoiceMarker, 2, Kind::ChoiceMarker);
      const std::u16string_view list = markup.ChoiceList;
      for (size_t start = 0; start <= list.size();) line.Add(NextListItem(list, start), Kind::ChoiceItem);
    }
    // A conditional jump's decisive marker may stand among its names.
    std::sort(tokens.begin() + static_cast<std::ptrdiff_t>(first), tokens.end(),
              [](const StoryToken& a, const StoryToken& b) { return a.Pos < b.Pos; });
    int64_t covered = 0;
    tokens.erase(std::remove_if(tokens.begin() + static_cast<std::ptrdiff_t>(first), tokens.end(),
                                [&](const StoryToken& t) {
                                  if (t.Pos < covered) return true;
                                  covered = t.Pos + t.Length;
                                  return false;
                                }),
                 tokens.end());
  }
  return tokens;
}
