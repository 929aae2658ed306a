#include "tools/vln/reading/StoryReach.h"

#include <algorithm>
#include <limits>

#include "story/StoryStrings.h"
#include "story/mdlFunction.h"
#include "tools/vln/reading/LineMarkup.h"
#include "tools/vln/reading/StoryProbe.h"

namespace {

// Walks every read position a reading can get to, stepping with the line
// interpreter itself so that the walk and the reader cannot disagree.
class ReachWalk {
 public:
  ReachWalk(StoryProbe& probe, const StoryLines& lines)
      : lines_(lines),
        probe_(probe),
        reached_(lines.Lines().size(), false),
        seen_(probe.Text().size() + 2, false) {}

  std::vector<bool> Run() {
    Visit(1);
    while (!pending_.empty()) {
      const int32_t pos = pending_.back();
      pending_.pop_back();
      Step(pos);
    }
    return reached_;
  }

 private:
  void Visit(int32_t pos) {
    if (pos <= 0) return;
    MarkShown(pos);
    // Every position past the end steps to 0 alike.
    const size_t slot = std::min<size_t>(static_cast<size_t>(pos), seen_.size() - 1);
    if (seen_[slot]) return;
    seen_[slot] = true;
    pending_.push_back(pos);
  }

  void Step(int32_t pos) {
    // Most steps start a plain text line, which the indexed probe steps over
    // to the next line's start by itself; the walk knows that line already,
    // and so saves the probe its search for the line's end.
    if (probe_.SearchKind() == StoryProbe::JumpSearch::Indexed && !lines_.Lines().empty()) {
      const StoryLines::Line& line = lines_.Lines()[lines_.LineIndexAt(pos)];
      if (line.Start == pos && WithoutMarkers(line.Text)) {
        Visit(static_cast<int32_t>(
            std::min<int64_t>(line.End + 2, std::numeric_limits<int32_t>::max())));
        return;
      }
    }
    // A conditional jump tests one flag; all off and all on give both of its
    // branches. Commands on the line run before the test, as in the reader.
    // Without a conditional marker the flags cannot change where a step
    // goes, and one step is enough.
    const bool flagsMatter = HasConditionalMarker(pos);
    for (const int16_t flags : {FlagOff, FlagOn}) {
      if (flags == FlagOn && !flagsMatter) break;
      const StoryProbe::Step step = probe_.StepFrom(pos, flags);
      if (step.ChoiceList.empty()) {
        Visit(step.Next);
        continue;
      }
      // While a choice is pending the Down arrow does nothing: only the keys
      // 1 to 5 go on, each landing just after its label as the key handler
      // places it.
      for (int i = 0; i < ChoiceKeys; ++i) {
        const std::u16string label = GetListItem(step.ChoiceList, i);
        if (label.empty()) continue;
        const ChoiceLanding to = probe_.LandingOf(label);
        // The chosen label's line is reached even when nothing follows the
        // label on it.
        if (to.Found > 0) reached_[lines_.LineIndexAt(to.Landing - 1)] = true;
        Visit(static_cast<int32_t>(
            std::min<int64_t>(to.Landing, std::numeric_limits<int32_t>::max())));
      }
    }
  }

  bool HasConditionalMarker(int32_t pos) const {
    const std::u16string_view text = probe_.Text();
    int64_t end = 0;
    if (!lines_.Lines().empty()) {
      const StoryLines::Line& line = lines_.Lines()[lines_.LineIndexAt(pos)];
      if (pos <= line.End) end = line.End;
    }
    // Past a line's CR (on its LF, or beyond the last line) the reader's own
    // search says where the line ends.
    if (end == 0) end = StoryFind(pos, text, u"\r\n");
    const std::u16string_view line = end > 0 ? StoryMid(text, pos, end - pos) : StoryMid(text, pos);
    for (size_t at = line.find(u">>"); at != std::u16string_view::npos; at = line.find(u">>", at + 1)) {
      if (at + 2 < line.size() && line[at + 2] >= u'A' && line[at + 2] <= u'E') return true;
    }
    return false;
  }

  // A jump returns the line break in front of its target, and the step there
  // shows an empty caption without reading the line that break ends.
  void MarkShown(int32_t pos) {
    if (lines_.Lines().empty()) return;
    const size_t index = lines_.LineIndexAt(pos);
    const StoryLines::Line& line = lines_.Lines()[index];
    if (pos < line.End || pos == line.Start) reached_[index] = true;
  }

  const StoryLines& lines_;
  StoryProbe& probe_;
  std::vector<bool> reached_;
  std::vector<bool> seen_;  // by read position
  std::vector<int32_t> pending_;
};

}  // namespace

std::vector<bool> ReachedLines(const std::u16string& text, const StoryLines& lines) {
  StoryProbe probe(text);
  return ReachedLines(probe, lines);
}

std::vector<bool> ReachedLines(StoryProbe& probe, const StoryLines& lines) {
  return ReachWalk(probe, lines).Run();
}
