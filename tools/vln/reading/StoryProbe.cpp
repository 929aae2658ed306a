#include "tools/vln/reading/StoryProbe.h"

#include <algorithm>
#include <limits>

#include "story/StoryStrings.h"
#include "story/mdlFunction.h"
#include "story/mdlRead.h"
#include "tools/vln/reading/LineMarkup.h"

namespace {

constexpr std::u16string_view LineBreak = u"\r\n";

StoryProbe::Step StepWithEngine(StoryState& story, Caption& caption, int32_t pos, int16_t flags) {
  story.StoryPos = pos;
  story.ChoiceList.clear();
  for (int i = 0; i < FlagCount; ++i) StoryFlag(story, i) = flags;
  StoryProbe::Step step;
  step.Next = ShowNextLine(story, caption);
  step.ChoiceList = std::move(story.ChoiceList);
  for (int i = 0; i < FlagCount; ++i) step.Flags[static_cast<size_t>(i)] = StoryFlag(story, i);
  return step;
}

}  // namespace

StoryProbe::StoryProbe(std::u16string text, bool remember, JumpSearch search)
    : remember_(remember), search_(search) {
  story_.StoryText = std::move(text);
  starts_ = std::make_unique<LineStartIndex>(story_.StoryText);
}

StoryProbe::Step StoryProbe::StepFrom(int32_t pos, int16_t flags) {
  if (!remember_) return Run(pos, flags);
  const int64_t key = static_cast<int64_t>(pos) * 2 + (flags == FlagOn ? 1 : 0);
  const auto found = steps_.find(key);
  if (found != steps_.end()) return found->second;
  return steps_.emplace(key, Run(pos, flags)).first->second;
}

StoryProbe::Step StoryProbe::Run(int32_t pos, int16_t flags) {
  if (search_ == JumpSearch::Indexed && pos > 0) {
    const std::u16string_view text = story_.StoryText;
    const int64_t end = StoryFind(pos, text, LineBreak);
    const std::u16string_view line = end > 0 ? StoryMid(text, pos, end - pos) : std::u16string_view();
    // Most lines of a story are plain text: stepping over one needs no
    // interpreter.
    if (end > 0 && WithoutMarkers(line)) {
      Step step;
      step.Next = static_cast<int32_t>(std::min<int64_t>(end + 2, std::numeric_limits<int32_t>::max()));
      step.Flags.fill(flags);
      return step;
    }
    if (end > 0 && StoryFind(1, line, u">>") > 0) {
      const LineMarkup markup = ReadLineMarkup(line);
      if (markup.JumpTaken()) return RunIndexedJump(line, markup, flags);
    }
  }
  return StepWithEngine(story_, caption_, pos, flags);
}

// The interpreter runs on the line alone, so that the label, choice and
// command are worked out by the reader's own code and its flags decide a
// conditional jump; only the search for the target, which would find nothing
// in one line, is answered from the index.
StoryProbe::Step StoryProbe::RunIndexedJump(std::u16string_view line, const LineMarkup& markup,
                                            int16_t flags) {
  StoryState alone;
  alone.StoryText = std::u16string(line) + std::u16string(LineBreak);
  Step step = StepWithEngine(alone, caption_, 1, flags);
  const std::u16string target =
      markup.Flag < 0 ? std::u16string(markup.PlainTarget)
                      : GetListItem(markup.Names,
                                    step.Flags[static_cast<size_t>(markup.Flag)] == FlagOn ? 0 : 1);
  step.Next = static_cast<int32_t>(
      std::min<int64_t>(starts_->FirstBreak(target), std::numeric_limits<int32_t>::max()));
  return step;
}

int64_t StoryProbe::Search(std::u16string_view target) const {
  if (search_ == JumpSearch::Indexed) return starts_->FirstBreak(target);
  return StoryFind(1, story_.StoryText, std::u16string(LineBreak) + std::u16string(target));
}

ChoiceLanding StoryProbe::LandingOf(std::u16string_view label) {
  if (remember_) {
    const auto found = landings_.find(std::u16string(label));
    if (found != landings_.end()) return found->second;
  }
  const int64_t found = Search(label);
  const ChoiceLanding landing{found, found + static_cast<int64_t>(label.size()) + 2};
  if (remember_) landings_.emplace(label, landing);
  return landing;
}
