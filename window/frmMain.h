#pragma once

#include <cstdint>

#include "platform/MainWindow.h"
#include "platform/TextFileInput.h"
#include "story/StoryState.h"

// Virtual-key codes the reader acts on.
namespace VirtualKey {
inline constexpr uint16_t Space = 32;
inline constexpr uint16_t Down = 40;
inline constexpr uint16_t Digit1 = 49;  // ... Digit5 = 53
inline constexpr uint16_t Numpad1 = 97;  // ... Numpad5 = 101
}  // namespace VirtualKey

// The reader's window: its menu commands and its key-down handler. It holds no
// state of its own; the story lives in the record it is given, and the screen
// is whatever `window` stands for (the Qt window, a test's, the author's tool).
class frmMain {
 public:
  frmMain(StoryState& story, MainWindow& window, TextFileInput& input)
      : story_(story), window_(window), input_(input) {}

  // The window has just been created: it shows the product's name.
  void Form_Load();
  // File > Open, and the Down arrow while no story is loaded.
  void mnuFileOpen_Click();
  // File > Exit.
  void mnuFileClose_Click();
  // `Shift` is the modifier state; no key depends on it.
  void Form_KeyDown(uint16_t KeyCode, int16_t Shift);

 private:
  void TakeChoice(int index);

  StoryState& story_;
  MainWindow& window_;
  TextFileInput& input_;
};
