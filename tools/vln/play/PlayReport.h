#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "tools/vln/play/PlaySession.h"

// The step as the object PlayJsonLine writes, for the language server to
// send: the same keys in the same order (event, caption, pos, choice, flags,
// minimized, length, message, dialog), but a lone surrogate unit as U+FFFD.
nlohmann::ordered_json PlayStepJson(const PlayStep& step);

// One JSON object (no line break) with exactly the keys scripts rely on.
std::string PlayJsonLine(const PlayStep& step);

// The caption as the title bar shows it, then what a person could not see in
// the caption alone: a message box, a pending choice, a stopped story, no
// story, a minimized window, the end of the session.
std::string PlayTextLine(const PlayStep& step);
