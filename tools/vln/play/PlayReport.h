#pragma once

#include <string>

#include "tools/vln/play/PlaySession.h"

// One JSON object (no line break) with exactly the keys scripts rely on.
std::string PlayJsonLine(const PlayStep& step);

// The caption as the title bar shows it, then what a person could not see in
// the caption alone: a message box, a pending choice, a stopped story, no
// story, a minimized window, the end of the session.
std::string PlayTextLine(const PlayStep& step);
