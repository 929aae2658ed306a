#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/Caption.h"
#include "story/StoryState.h"

// Where a digit key that picks a label goes on, placed as the key handler
// places it: just after the label, on the label's own line. `Found` is the
// CR LF in front of the label, 0 when no line begins with it; the key still
// moves then, to a place counted from the start of the story.
struct ChoiceLanding {
  int64_t Found = 0;
  int64_t Landing = 0;
};

// Steps the reader's own line interpreter from any read position, so that
// whatever the author's tool says about where a story goes is what the
// reader does.
class StoryProbe {
 public:
  struct Step {
    int32_t Next = 0;          // what ShowNextLine returned
    std::u16string ChoiceList;  // the choice it left pending, if any
    std::array<int16_t, FlagCount> Flags{};  // the flags after the step
  };

  // With `remember`, each step is kept so that asking again costs nothing:
  // a jump searches the whole story, and the map and the walk over what is
  // reachable ask for the same steps.
  explicit StoryProbe(std::u16string text, bool remember = false);

  // One Down arrow at `pos` with all five flags at `flags` and no choice
  // pending.
  Step StepFrom(int32_t pos, int16_t flags);

  // Where a digit key that picks `label` lands.
  ChoiceLanding LandingOf(std::u16string_view label);

  const std::u16string& Text() const { return story_.StoryText; }

 private:
  Step Run(int32_t pos, int16_t flags);

  class NoCaption : public Caption {
   public:
    void SetCaption(std::u16string_view) override {}
  };

  StoryState story_;
  NoCaption caption_;
  bool remember_;
  std::unordered_map<int64_t, Step> steps_;
  std::unordered_map<std::u16string, ChoiceLanding> landings_;
};

inline constexpr int ChoiceKeys = 5;
