#include "tools/vln/lsp/StoryFixes.h"

#include <algorithm>
#include <memory>

#include "tools/vln/check/CheckText.h"
#include "tools/vln/lsp/StoryLabels.h"
#include "tools/vln/reading/LineMarkup.h"
#include "tools/vln/reading/StoryTargets.h"

namespace {

bool IsSpace(char16_t c) { return c == u' ' || c == u'\u3000'; }

int64_t Size(std::u16string_view text) { return static_cast<int64_t>(text.size()); }

class FixFinder {
 public:
  FixFinder(StoryAnalysis& analysis, std::vector<StoryFix>& fixes) : analysis_(analysis), fixes_(fixes) {}

  void SpaceInFront(const StoryTarget& target) {
    if (target.Kind != TargetKind::Choice || !IsSpace(target.Name.front())) return;
    size_t spaces = 0;
    while (spaces < target.Name.size() && IsSpace(target.Name[spaces])) ++spaces;
    if (spaces == target.Name.size()) return;
    fixes_.push_back({"Remove the space in front of " + Quoted(target.Name.substr(spaces)),
                      {{target.Pos, static_cast<int64_t>(spaces), u""}},
                      {target.Pos, Size(target.Name)},
                      true});
  }

  void NearestLabel(const StoryTarget& target) {
    const std::vector<StoryLabel>& labels = Labels();
    const StoryLabel* nearest = nullptr;
    size_t best = SIZE_MAX;
    for (const StoryLabel& label : labels) {
      const size_t distance = EditDistance(target.Name, label.Label);
      if (distance < best) {
        best = distance;
        nearest = &label;
      }
    }
    if (nearest == nullptr) return;
    fixes_.push_back({"Change to the label " + Quoted(nearest->Label),
                      {{target.Pos, Size(target.Name), std::u16string(nearest->Label)}},
                      {target.Pos, Size(target.Name)},
                      false});
  }

  void NewPassage(const StoryTarget& target) {
    if (IsSpace(target.Name.front())) return;
    const EditorStory& story = analysis_.Story();
    const std::u16string lineBreak(story.NewLineBreak());
    const std::u16string line(target.Name);
    // The story text always ends with a line break; the document may not.
    const std::u16string text = story.EndsWithBreak() ? line + lineBreak : lineBreak + line;
    fixes_.push_back({"Create the passage " + Quoted(target.Name) + " at the end of the story",
                      {{Size(analysis_.Text()) + 1, 0, text}},
                      {target.Pos, Size(target.Name)},
                      false});
  }

  // `Go>>Apple` meant a jump to the line beginning with "Apple": bracketing
  // both makes it a plain jump, and the line still shows its text.
  // Returns whether the line's jump is read as conditional by mistake.
  bool BracketMisread(size_t index) {
    const StoryLines::Line& line = analysis_.Lines().Lines()[index];
    const LineMarkup markup = ReadLineMarkup(line.Text);
    if (!markup.JumpTaken() || markup.Flag < 0 || !ReadAsConditionalByMistake(markup, Starts())) return false;
    const std::u16string_view target = markup.PlainTarget;
    if (target.find_first_of(u"],") != std::u16string_view::npos) return true;
    const size_t landing = LandingOfTarget(Starts(), analysis_.Lines(), target).Line;
    if (landing == TargetLanding::NoLine) return true;
    const std::u16string label = u"[" + std::u16string(target) + u"]";
    const int64_t targetPos = static_cast<int64_t>(target.data() - analysis_.Text().data()) + 1;
    std::vector<StoryEdit> edits{{targetPos, Size(target), label},
                                 {analysis_.Lines().Lines()[landing].Start, 0, label}};
    if (edits[1].Pos < edits[0].Pos) std::swap(edits[0], edits[1]);
    if (!FirstLandingChanged(analysis_, edits, index).empty()) return true;
    fixes_.push_back({"Bracket the label " + Quoted(target) + " so that the jump is not read as conditional",
                      std::move(edits),
                      {targetPos, Size(target)},
                      true});
    return true;
  }

  // Only into a text that holds CR LF already: an editor that converts line
  // ends holds none, and would save each CR LF put in as CR CR LF.
  void LoneLineFeeds() {
    if (!analysis_.Story().HoldsCrLf()) return;
    std::vector<StoryEdit> edits;
    const std::u16string& text = analysis_.Text();
    for (size_t at = text.find(u'\n'); at != std::u16string::npos; at = text.find(u'\n', at + 1)) {
      if (at > 0 && text[at - 1] == u'\r') continue;
      edits.push_back({static_cast<int64_t>(at) + 1, 1, u"\r\n"});
    }
    if (edits.empty()) return;
    const int64_t first = edits.front().Pos;
    fixes_.push_back({"Turn every lone LF into CR LF", std::move(edits), {first, 1}, false});
  }

 private:
  const std::vector<StoryLabel>& Labels() {
    if (!labels_) labels_ = std::make_unique<std::vector<StoryLabel>>(StoryLabelsOf(analysis_.Lines()));
    return *labels_;
  }
  const LineStartIndex& Starts() { return analysis_.Targets().Starts(); }

  StoryAnalysis& analysis_;
  std::vector<StoryFix>& fixes_;
  std::unique_ptr<std::vector<StoryLabel>> labels_;
};

}  // namespace

size_t EditDistance(std::u16string_view a, std::u16string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::vector<StoryFix> FixesWithin(StoryAnalysis& analysis, int64_t from, int64_t to) {
  std::vector<StoryFix> fixes;
  const StoryLines& lines = analysis.Lines();
  if (lines.Lines().empty()) return fixes;
  FixFinder finder(analysis, fixes);
  const size_t first = lines.LineIndexAt(std::min(from, to));
  const size_t last = lines.LineIndexAt(std::max(from, to));
  bool lineFeeds = false;
  for (size_t index = first; index <= last; ++index) {
    lineFeeds = lineFeeds || lines.Lines()[index].Text.find(u'\n') != std::u16string_view::npos;
    // The names a misread jump is taken to have are no names its author
    // wrote.
    const bool misread = finder.BracketMisread(index);
    for (const StoryTarget* target : analysis.Targets().OnLine(index)) {
      if (target->Landing.Lands() || target->Name.empty()) continue;
      if (misread && target->Flag >= 0) continue;
      finder.SpaceInFront(*target);
      finder.NearestLabel(*target);
      finder.NewPassage(*target);
    }
  }
  if (lineFeeds) finder.LoneLineFeeds();
  return fixes;
}
