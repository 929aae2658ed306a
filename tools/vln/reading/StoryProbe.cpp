#include "tools/vln/reading/StoryProbe.h"

#include "story/StoryStrings.h"
#include "story/mdlRead.h"

StoryProbe::StoryProbe(std::u16string text, bool remember) : remember_(remember) {
  story_.StoryText = std::move(text);
}

StoryProbe::Step StoryProbe::StepFrom(int32_t pos, int16_t flags) {
  if (!remember_) return Run(pos, flags);
  const int64_t key = static_cast<int64_t>(pos) * 2 + (flags == FlagOn ? 1 : 0);
  const auto found = steps_.find(key);
  if (found != steps_.end()) return found->second;
  return steps_.emplace(key, Run(pos, flags)).first->second;
}

StoryProbe::Step StoryProbe::Run(int32_t pos, int16_t flags) {
  story_.StoryPos = pos;
  story_.ChoiceList.clear();
  for (int i = 0; i < FlagCount; ++i) StoryFlag(story_, i) = flags;
  Step step;
  step.Next = ShowNextLine(story_, caption_);
  step.ChoiceList = story_.ChoiceList;
  for (int i = 0; i < FlagCount; ++i) step.Flags[static_cast<size_t>(i)] = StoryFlag(story_, i);
  return step;
}

ChoiceLanding StoryProbe::LandingOf(std::u16string_view label) {
  if (remember_) {
    const auto found = landings_.find(std::u16string(label));
    if (found != landings_.end()) return found->second;
  }
  const std::u16string search = u"\r\n" + std::u16string(label);
  const int64_t found = StoryFind(1, story_.StoryText, search);
  const ChoiceLanding landing{found, found + static_cast<int64_t>(search.size())};
  if (remember_) landings_.emplace(label, landing);
  return landing;
}
