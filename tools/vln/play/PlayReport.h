#pragma once

#include <string>

#include "tools/vln/play/PlaySession.h"
#include "tools/vln/reading/JsonText.h"

// One JSON object (no line break) with exactly the keys scripts rely on:
// event, caption, pos, choice, flags, minimized, length, message, dialog.
std::string PlayJsonLine(const PlayStep& step, LoneSurrogates lone = LoneSurrogates::Escaped);

// The caption as the title bar shows it, then what a person could not see in
// the caption alone: a message box, a pending choice, a stopped story, no
// story, a minimized window, the end of the session.
std::string PlayTextLine(const PlayStep& step);
