#include "tools/vln/reading/StoryFileRead.h"

#include "platform/HeadlessWindow.h"
#include "story/mdlRead.h"

bool ReadStoryFile(const std::string& path, TextFileInput& input, std::u16string& text) {
  HeadlessWindow window;
  window.SetStandingDialogAnswer(path);
  StoryState story;
  // The loader clears FlagA only after reading the whole file, so a flag still
  // on tells a file it could not read from an empty one.
  story.FlagA = FlagOn;
  text = LoadStory(story, window, input);
  return story.FlagA != FlagOn;
}
