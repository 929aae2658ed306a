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

StoryProbe::StoryProbe(std::u16string_view text, JumpSearch search)
    : StoryProbe(text, std::make_shared<const LineStartIndex>(text), search) {}

StoryProbe::StoryProbe(std::u16string_view text, const StoryLines& lines)
    : StoryProbe(text, std::make_shared<const LineStartIndex>(text, lines), JumpSearch::Indexed) {}

StoryProbe::StoryProbe(std::u16string_view text, std::shared_ptr<const LineStartIndex> starts,
                       JumpSearch search)
    : text_(text), search_(search), starts_(std::move(starts)) {
  if (search_ == JumpSearch::Engine) {
    story_.StoryText = text;
  } else {
    story_.Search = &indexSearch_;
  }
}

std::unique_ptr<StoryProbe> StoryProbe::Twin() const {
  return std::unique_ptr<StoryProbe>(new StoryProbe(text_, starts_, search_));
}

StoryProbe::Step StoryProbe::StepFrom(int32_t pos, int16_t flags) {
  return Run(pos, flags);
}

StoryProbe::Step StoryProbe::StepFrom(int32_t pos, std::u16string_view line, int16_t flags) {
  if (search_ == JumpSearch::Engine) return StepWithEngine(story_, caption_, pos, flags);
  return RunLine(pos, line, flags);
}

StoryProbe::Step StoryProbe::Run(int32_t pos, int16_t flags) {
  if (search_ == JumpSearch::Engine) return StepWithEngine(story_, caption_, pos, flags);
  Step step;
  step.Flags.fill(flags);
  // Before the story or on a line no line break ends, the interpreter shows
  // nothing and stops.
  const int64_t end = pos > 0 ? StoryFind(pos, text_, LineBreak) : 0;
  if (end == 0) return step;
  const std::u16string_view line = StoryMid(text_, pos, end - pos);
  // Most lines of a story are plain text: stepping over one needs no
  // interpreter.
  if (WithoutMarkers(line)) {
    step.Next = static_cast<int32_t>(std::min<int64_t>(end + 2, std::numeric_limits<int32_t>::max()));
    return step;
  }
  return RunLine(pos, line, flags);
}

// The interpreter runs on the line alone, so that the label, choice, command
// and jump are worked out by the reader's own code and its flags decide a
// conditional jump; only the search for a jump's target, which would find
// nothing in one line, is answered from the index, and that answer is a
// place in the whole story already. Without a jump the interpreter reads no
// further than the line's own break, so the step it returns is the same
// place in the story.
StoryProbe::Step StoryProbe::RunLine(int32_t pos, std::u16string_view line, int16_t flags) {
  story_.StoryText.assign(line);
  story_.StoryText += LineBreak;
  Step step = StepWithEngine(story_, caption_, 1, flags);
  if (!indexSearch_.Asked() && step.Next != 0) {
    step.Next = static_cast<int32_t>(
        std::min<int64_t>(int64_t{pos} + step.Next - 1, std::numeric_limits<int32_t>::max()));
  }
  return step;
}

int64_t StoryProbe::Search(std::u16string_view target) const {
  if (search_ == JumpSearch::Indexed) return starts_->FirstBreak(target);
  return StoryFind(1, text_, std::u16string(LineBreak) + std::u16string(target));
}

ChoiceLanding StoryProbe::LandingOf(std::u16string_view label) {
  const int64_t found = Search(label);
  return {found, found + static_cast<int64_t>(label.size()) + 2};
}
