#include <cstdio>
#include <cstdlib>

#include "fuzz/StoryEventsHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string failure = RunStoryEvents(data, size);
  if (!failure.empty()) {
    std::fprintf(stderr, "story_events: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
