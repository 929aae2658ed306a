#include <cstdio>
#include <cstdlib>

#include "fuzz/LspStreamHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string failure = CheckLspStream(data, size);
  if (!failure.empty()) {
    std::fprintf(stderr, "lsp_stream: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
