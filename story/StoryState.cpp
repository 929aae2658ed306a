#include "story/StoryState.h"

int16_t& StoryFlag(StoryState& story, int index) {
  switch (index) {
    case 0: return story.FlagA;
    case 1: return story.FlagB;
    case 2: return story.FlagC;
    case 3: return story.FlagD;
    default: return story.FlagE;
  }
}
