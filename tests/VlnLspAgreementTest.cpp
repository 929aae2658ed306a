// The server and `vln check` read the same story the same way: on every
// sample and mistake story, the server's findings are check's, on the same
// lines of the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/StoryDecoder.h"
#include "platform/StoryFileInput.h"
#include "tools/vln/check/CheckStory.h"
#include "tools/vln/lsp/EditorLines.h"
#include "tools/vln/lsp/StoryAnalysis.h"
#include "tools/vln/reading/StoryFileRead.h"

namespace {

std::vector<std::filesystem::path> StoriesIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> paths;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".vln") paths.push_back(entry.path());
  }
  return paths;
}

TEST(LspAgreesWithCheck, OnEverySampleAndMistakeStory) {
  // ctest says where the stories are; run by hand, the test says so too.
  const char* const sourceDir = std::getenv("VELNORI_SOURCE_DIR");
  ASSERT_NE(sourceDir, nullptr) << "VELNORI_SOURCE_DIR names the source folder";
  const std::filesystem::path source = sourceDir;
  std::vector<std::filesystem::path> found = StoriesIn(source / "examples");
  for (const std::filesystem::path& path : StoriesIn(source / "tests" / "vln")) found.push_back(path);
  ASSERT_GE(found.size(), 8u);
  for (const std::filesystem::path& place : found) {
    const std::string path = place.string();
    StoryFileInput input;
    std::u16string text;
    ASSERT_TRUE(ReadStoryFile(path, input, text)) << path;
    const StoryLines lines(text);
    std::vector<std::string> checked;
    for (const CheckFinding& f : CheckStory(text, lines)) {
      checked.push_back(std::to_string(lines.FileLineAt(f.Pos)) + ": " + f.Message);
    }

    // The editor decodes the file itself and sends its text. The path object
    // opens a Japanese file name on Windows too, where a narrow string fails.
    std::ifstream file(place, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::u16string editorText = DecodeStory(bytes);
    const EditorLines editorLines(editorText);
    StoryAnalysis analysis(editorText);
    std::vector<std::string> served;
    for (const CheckFinding& f : analysis.Findings()) {
      served.push_back(std::to_string(editorLines.LineOf(analysis.Story().EditorOffset(f.Pos)) + 1) + ": " + f.Message);
    }
    EXPECT_EQ(served, checked) << path;
  }
}

}  // namespace
