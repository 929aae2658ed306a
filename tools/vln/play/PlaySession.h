#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/HeadlessWindow.h"
#include "platform/TextFileInput.h"
#include "story/StoryState.h"
#include "tools/vln/play/PlayEvent.h"
#include "window/frmMain.h"

// What the reader looks like after one event.
struct PlayStep {
  std::string Event;
  std::u16string Caption;
  int32_t Pos = 0;
  std::u16string Choice;
  std::array<int16_t, FlagCount> Flags{};
  bool Minimized = false;
  size_t Length = 0;
  // Shown during this event, if any.
  std::optional<std::u16string> Message;
  std::optional<OpenDialogSetup> Dialog;
  // The session is over (Exit); later events are not run.
  bool Ended = false;
};

// The reader without a screen: the real handlers over a headless window whose
// Open dialog answers the story's path.
class PlaySession {
 public:
  PlaySession(const std::string& storyPath, TextFileInput& input);

  // The window has just been created.
  PlayStep Start();
  PlayStep Apply(const PlayEvent& event);
  bool Ended() const { return window_.QuitRequested(); }

 private:
  PlayStep Snapshot(std::string event, size_t messagesBefore, size_t dialogsBefore) const;

  StoryState story_;
  HeadlessWindow window_;
  frmMain form_;
};
