#include <cstdio>
#include <cstdlib>

#include "fuzz/ListItemOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string failure = CheckListItem(data, size);
  if (!failure.empty()) {
    std::fprintf(stderr, "list_item: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
