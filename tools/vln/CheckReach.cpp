#include "tools/vln/CheckReach.h"

#include <algorithm>
#include <limits>
#include <unordered_set>
#include <vector>

#include "platform/Caption.h"
#include "story/StoryStrings.h"
#include "story/mdlFunction.h"
#include "story/mdlRead.h"
#include "tools/vln/CheckText.h"

namespace {

class NoCaption : public Caption {
 public:
  void SetCaption(std::u16string_view) override {}
};

constexpr int ChoiceKeys = 5;

// Walks every read position a reading can get to, stepping with the line
// interpreter itself so that the walk and the reader cannot disagree.
class ReachWalk {
 public:
  ReachWalk(const std::u16string& text, const StoryLines& lines)
      : lines_(lines), reached_(lines.Lines().size(), false) {
    probe_.StoryText = text;
  }

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
    if (seen_.insert(pos).second) pending_.push_back(pos);
  }

  void Step(int32_t pos) {
    // A conditional jump tests one flag; all off and all on give both of its
    // branches. Commands on the line run before the test, as in the reader.
    // Without a conditional marker the flags cannot change where a step
    // goes, and one step is enough.
    const bool flagsMatter = HasConditionalMarker(pos);
    for (const int16_t flags : {FlagOff, FlagOn}) {
      if (flags == FlagOn && !flagsMatter) break;
      probe_.StoryPos = pos;
      probe_.ChoiceList.clear();
      for (int i = 0; i < FlagCount; ++i) StoryFlag(probe_, i) = flags;
      const int32_t next = ShowNextLine(probe_, caption_);
      if (probe_.ChoiceList.empty()) {
        Visit(next);
        continue;
      }
      // While a choice is pending the Down arrow does nothing: only the keys
      // 1 to 5 go on, each landing just after its label as the key handler
      // places it.
      for (int i = 0; i < ChoiceKeys; ++i) {
        const std::u16string label = GetListItem(probe_.ChoiceList, i);
        if (label.empty()) continue;
        const std::u16string search = u"\r\n" + label;
        const int64_t found = StoryFind(1, probe_.StoryText, search);
        const int64_t landing = found + static_cast<int64_t>(search.size());
        // The chosen label's line is reached even when nothing follows the
        // label on it.
        if (found > 0) reached_[lines_.LineIndexAt(landing - 1)] = true;
        Visit(static_cast<int32_t>(
            std::min<int64_t>(landing, std::numeric_limits<int32_t>::max())));
      }
    }
  }

  bool HasConditionalMarker(int32_t pos) const {
    const std::u16string_view text = probe_.StoryText;
    const int64_t end = StoryFind(pos, text, u"\r\n");
    const std::u16string_view line = end > 0 ? StoryMid(text, pos, end - pos) : StoryMid(text, pos);
    for (const std::u16string_view marker : {u">>A", u">>B", u">>C", u">>D", u">>E"}) {
      if (StoryFind(1, line, marker) > 0) return true;
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
  StoryState probe_;
  NoCaption caption_;
  std::vector<bool> reached_;
  std::unordered_set<int32_t> seen_;
  std::vector<int32_t> pending_;
};

bool IsBlank(const StoryLines::Line& line) { return StoryTrim(line.Text).empty(); }

}  // namespace

CheckFindings CheckReach(const std::u16string& text, const StoryLines& lines) {
  const std::vector<bool> reached = ReachWalk(text, lines).Run();
  CheckFindings findings;
  const auto& all = lines.Lines();
  // Blank lines say nothing either way; they neither start nor end a run.
  for (size_t i = 0; i < all.size();) {
    if (reached[i] || IsBlank(all[i])) {
      ++i;
      continue;
    }
    size_t last = i;
    size_t j = i + 1;
    for (; j < all.size() && (!reached[j] || IsBlank(all[j])); ++j) {
      if (!IsBlank(all[j])) last = j;
    }
    std::string message = "no reading from the first line reaches " + Quoted(StoryTrim(all[i].Text));
    if (last > i) {
      message += " (nor anything up to line " + std::to_string(lines.FileLineAt(all[last].Start)) + ")";
    }
    findings.push_back({all[i].Start, CheckFinding::Severity::Warning, std::move(message)});
    i = j;
  }
  return findings;
}
