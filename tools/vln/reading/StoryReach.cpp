#include "tools/vln/reading/StoryReach.h"

#include <algorithm>
#include <limits>

#include "story/StoryStrings.h"
#include "tools/vln/reading/LineMarkup.h"
#include "tools/vln/reading/StoryProbe.h"

namespace {

int32_t ReadPosition(int64_t pos) {
  return static_cast<int32_t>(std::min<int64_t>(pos, std::numeric_limits<int32_t>::max()));
}

// Walks every read position a reading can get to, stepping with the line
// interpreter itself so that the walk and the reader cannot disagree.
class ReachWalk {
 public:
  ReachWalk(StoryProbe& probe, const StoryLines& lines, const KnownLineStep& known)
      : lines_(lines),
        probe_(probe),
        known_(known),
        indexed_(probe.SearchKind() == StoryProbe::JumpSearch::Indexed),
        reached_(lines.Lines().size(), false),
        seen_(probe.Text().size() + 2, false) {}

  std::vector<bool> Run() {
    Visit(1);
    while (!pending_.empty()) {
      const Pending at = pending_.back();
      pending_.pop_back();
      Step(at.Pos, at.Line);
    }
    return reached_;
  }

 private:
  struct Pending {
    int32_t Pos;
    size_t Line;  // the line LineIndexAt gives for Pos
  };

  void Visit(int32_t pos) {
    if (pos <= 0 || lines_.Lines().empty()) {
      Visit(pos, 0);
      return;
    }
    Visit(pos, lines_.LineIndexAt(pos));
  }

  // `line` is the index of the line holding `pos`, known to the caller.
  void Visit(int32_t pos, size_t line) {
    if (pos <= 0) return;
    MarkShown(pos, line);
    // Every position past the end steps to 0 alike.
    const size_t slot = std::min<size_t>(static_cast<size_t>(pos), seen_.size() - 1);
    if (seen_[slot]) return;
    seen_[slot] = true;
    pending_.push_back({pos, line});
  }

  // The position after line `index`: the next line's start, or past the end.
  void VisitAfter(size_t index) {
    const int32_t next = ReadPosition(lines_.Lines()[index].End + 2);
    if (index + 1 < lines_.Lines().size()) {
      Visit(next, index + 1);
    } else {
      Visit(next);
    }
  }

  void Step(int32_t pos, size_t index) {
    const auto& all = lines_.Lines();
    // What the indexed probe would work out for itself, known here without
    // reading the line: most steps start plain text and go on with the next
    // line, and a jump's landing on a line break shows an empty caption and
    // goes on with the line that break ends.
    if (indexed_ && !all.empty()) {
      const StoryLines::Line& line = all[index];
      if (pos == line.End || (pos >= line.Start && pos < line.End && lines_.Plain(index))) {
        VisitAfter(index);
        return;
      }
    }
    // A conditional jump tests one flag; all off and all on give both of its
    // branches. Commands on the line run before the test, as in the reader.
    // Without a conditional marker the flags cannot change where a step
    // goes, and one step is enough.
    const bool flagsMatter = HasConditionalMarker(pos, index);
    const bool lineStart = !all.empty() && all[index].Start == pos;
    for (const int16_t flags : {FlagOff, FlagOn}) {
      if (flags == FlagOn && !flagsMatter) break;
      const StoryProbe::Step* known = lineStart && known_ ? known_(index, flags) : nullptr;
      if (known == nullptr) {
        taken_ = lineStart ? probe_.StepFrom(pos, all[index].Text, flags) : probe_.StepFrom(pos, flags);
        known = &taken_;
      }
      if (known->ChoiceList.empty()) {
        Visit(known->Next);
        continue;
      }
      // While a choice is pending the Down arrow does nothing: only the keys
      // 1 to 5 go on, each landing just after its label as the key handler
      // places it.
      for (const std::u16string_view label : FirstListItems<ChoiceKeys>(known->ChoiceList)) {
        if (label.empty()) continue;
        const ChoiceLanding to = probe_.LandingOf(label);
        // The chosen label's line is reached even when nothing follows the
        // label on it; the key lands on that line, at most on its break.
        if (to.Found > 0) {
          const size_t line = lines_.LineIndexAt(to.Landing - 1);
          reached_[line] = true;
          Visit(ReadPosition(to.Landing), line);
        } else {
          Visit(ReadPosition(to.Landing));
        }
      }
    }
  }

  bool HasConditionalMarker(int32_t pos, size_t index) const {
    const std::u16string_view text = probe_.Text();
    int64_t end = 0;
    if (!lines_.Lines().empty()) {
      const StoryLines::Line& line = lines_.Lines()[index];
      if (pos <= line.End) {
        if ((lines_.Marks(index) & StoryLines::Greater) == 0) return false;
        end = line.End;
      }
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
  void MarkShown(int32_t pos, size_t index) {
    if (lines_.Lines().empty()) return;
    const StoryLines::Line& line = lines_.Lines()[index];
    if (pos < line.End || pos == line.Start) reached_[index] = true;
  }

  const StoryLines& lines_;
  StoryProbe& probe_;
  const KnownLineStep& known_;
  const bool indexed_;
  std::vector<bool> reached_;
  std::vector<bool> seen_;  // by read position
  std::vector<Pending> pending_;
  StoryProbe::Step taken_;
};

}  // namespace

std::vector<bool> ReachedLines(const std::u16string& text, const StoryLines& lines) {
  StoryProbe probe(text, lines);
  return ReachedLines(probe, lines);
}

std::vector<bool> ReachedLines(StoryProbe& probe, const StoryLines& lines, const KnownLineStep& known) {
  return ReachWalk(probe, lines, known).Run();
}
