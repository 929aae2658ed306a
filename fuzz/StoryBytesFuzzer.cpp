#include <cstdio>
#include <cstdlib>

#include "fuzz/StoryBytesHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string failure = CheckStoryBytes(data, size);
  if (!failure.empty()) {
    std::fprintf(stderr, "story_bytes: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
