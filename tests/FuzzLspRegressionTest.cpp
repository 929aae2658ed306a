#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/LspStreamHarness.h"

namespace {

namespace fs = std::filesystem;

// Every conversation seed must pass the server's harness, or the fuzzer
// would start from a failure.
TEST(FuzzCorpus, LspSeedsKeepEveryRule) {
  const char* root = std::getenv("VELNORI_SOURCE_DIR");
  ASSERT_NE(root, nullptr);
  int seeds = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(root) / "fuzz/corpus/lsp_stream")) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(CheckLspStream(bytes.data(), bytes.size()), "") << entry.path();
    ++seeds;
  }
  EXPECT_GT(seeds, 0);
}

}  // namespace
