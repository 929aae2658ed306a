#pragma once

#include <cstdint>
#include <string>

#include "platform/Caption.h"
#include "platform/OpenDialog.h"
#include "platform/TextFileInput.h"
#include "story/StoryState.h"

// One step of the story: shows the line that begins at StoryPos (markup
// worked out) through `caption`, records a choice list, switches flags, and
// returns where the next step begins (0: the story has stopped). It never
// writes StoryPos or StoryText; the caller stores the result in StoryPos.
int32_t ShowNextLine(StoryState& story, Caption& caption);

// The longest story text a 32-bit read position can walk through.
inline constexpr size_t MaxStoryLength = 2147483647;

// How the Open dialog is set up for choosing a story file.
OpenDialogSetup StoryOpenDialogSetup();

// Lets the user choose a story file and reads it whole: every line followed
// by CR LF. Returns the empty string when nothing was read (cancelled,
// unreadable, failed midway, too long, or an empty file). After a successful
// read FlagA, FlagB and FlagC are cleared; FlagD and FlagE are kept.
std::u16string LoadStory(StoryState& story, OpenDialog& dialog, TextFileInput& input);
