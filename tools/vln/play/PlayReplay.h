#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/TextFileInput.h"
#include "tools/vln/play/PlayEvent.h"
#include "tools/vln/play/PlaySession.h"

// A reading replayed from the story just opened. The first step, "start", is
// the reader once the story at `storyPath` is opened through its Open dialog,
// with the read position put at `from` when a story was loaded; then a step
// for each event, until the reader is closed.
std::vector<PlayStep> ReplayFromOpen(const std::string& storyPath, TextFileInput& input,
                                     const std::vector<PlayEvent>& events, std::optional<int32_t> from);

// A reading replayed from the window just created, as `vln play` does: the
// first step, "start", is the reader with no story, and the Open dialog a
// key brings up answers the story at `storyPath`.
std::vector<PlayStep> ReplayFromStart(const std::string& storyPath, TextFileInput& input,
                                      const std::vector<PlayEvent>& events);
