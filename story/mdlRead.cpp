#include "story/mdlRead.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "story/StoryCommand.h"
#include "story/StoryJump.h"
#include "story/StoryStrings.h"
#include "story/mdlFunction.h"

namespace {

constexpr std::u16string_view LineBreak = u"\r\n";

// Every position past the end of the story finds nothing, so a sum that does
// not fit the 32-bit read position may stand at the largest one.
int32_t ToReadPosition(int64_t position) {
  return static_cast<int32_t>(std::min<int64_t>(position, std::numeric_limits<int32_t>::max()));
}

// Carries out the command part of a line. Returns true when it ends the story.
bool RunCommand(StoryState& story, std::u16string_view command) {
  const CommandSwitches found = ReadCommand(command);
  // All ONs before all OFFs: a command naming both leaves the flag off.
  for (int i = 0; i < FlagCount; ++i) {
    if (found.On[static_cast<size_t>(i)]) StoryFlag(story, i) = FlagOn;
  }
  for (int i = 0; i < FlagCount; ++i) {
    if (found.Off[static_cast<size_t>(i)]) StoryFlag(story, i) = FlagOff;
  }
  return found.Ends;
}

// The label a jump line names. `jump` is the position of the first ">>".
// A conditional marker anywhere in the line decides, but its names are read
// from just after the first ">>", even when that is another one.
std::u16string JumpTarget(StoryState& story, std::u16string_view line, int64_t jump) {
  if (const int flag = ReadJumpCondition(line, jump).Flag; flag < FlagCount) {
    const std::u16string_view names = StoryTrim(StoryMid(line, jump + 3));
    return GetListItem(names, StoryFlag(story, flag) == FlagOn ? 0 : 1);
  }
  return std::u16string(StoryTrim(StoryMid(line, jump + 2)));
}

}  // namespace

int32_t ShowNextLine(StoryState& story, Caption& caption) {
  if (story.StoryPos <= 0) return 0;
  const std::u16string_view text = story.StoryText;
  const int64_t lineEnd = StoryFind(story.StoryPos, text, LineBreak);
  if (lineEnd == 0) return 0;
  std::u16string_view line = StoryTrim(StoryMid(text, story.StoryPos, lineEnd - story.StoryPos));

  if (!line.empty() && line.front() == u'[') {
    const int64_t close = StoryFind(1, line, u"]");
    line = StoryTrim(StoryMid(line, close + 1));
  }

  // The choice list swallows any command or jump written after "??".
  if (const int64_t choice = StoryFind(1, line, u"??"); choice > 0) {
    story.ChoiceList = StoryTrim(StoryMid(line, choice + 2));
    line = StoryTrim(StoryLeft(line, choice - 1));
  }

  // A jump written after "::" belongs to the command part and is never taken.
  if (const int64_t command = StoryFind(1, line, u"::"); command > 0) {
    const std::u16string_view commandPart = StoryTrim(StoryMid(line, command + 2));
    line = StoryTrim(StoryLeft(line, command - 1));
    caption.SetCaption(line);
    if (RunCommand(story, commandPart)) return 0;
  }

  const int64_t jump = StoryFind(1, line, u">>");
  if (jump == 0) {
    caption.SetCaption(line);
    return ToReadPosition(lineEnd + 2);
  }

  // The position of the CR in front of the label, not of the label itself:
  // the next step reads an empty line there, and only the one after it shows
  // the target line.
  const std::u16string name = JumpTarget(story, line, jump);
  int64_t target = 0;
  if (story.Search != nullptr) {
    target = story.Search->FirstBreak(name);
  } else {
    std::u16string search(LineBreak);
    search += name;
    target = StoryFind(1, text, search);
  }
  caption.SetCaption(StoryTrim(StoryLeft(line, jump - 1)));
  return ToReadPosition(target);
}
