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
  // The message box shown during this event, if any, and its title.
  std::optional<std::u16string> Message;
  std::u16string MessageTitle;
  std::optional<OpenDialogSetup> Dialog;
  // The session is over (Exit); later events are not run.
  bool Ended = false;
  // The read position of the line the caption came from: where the line
  // interpreter last read a line. Nothing before any line was shown.
  std::optional<int32_t> ShownFrom;
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
  // Puts the read position at `pos`, as if the story had got there: the next
  // Down arrow shows the line from there.
  void SetReadPosition(int32_t pos) { story_.StoryPos = pos; }

 private:
  // Notes where the story stood each time the caption changes: the line
  // interpreter shows a line before its caller moves the read position on.
  class Window : public HeadlessWindow {
   public:
    explicit Window(const StoryState& story) : story_(story) {}
    void SetCaption(std::u16string_view text) override;
    std::optional<int32_t> ShownFrom() const { return shownFrom_; }

   private:
    const StoryState& story_;
    std::optional<int32_t> shownFrom_;
  };

  PlayStep Snapshot(std::string event, size_t messagesBefore, size_t dialogsBefore) const;

  StoryState story_;
  Window window_;
  frmMain form_;
};
