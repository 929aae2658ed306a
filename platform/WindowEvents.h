#pragma once

#include <cstdint>
#include <functional>
#include <utility>

// What a window front end delivers to whoever starts the program: the two
// menu commands and every key pressed on the window. The front end knows
// nothing of stories; the program's start connects these to the handlers.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;

  // File > Open and File > Exit.
  void OnOpen(std::function<void()> handler) { onOpen_ = std::move(handler); }
  void OnExit(std::function<void()> handler) { onExit_ = std::move(handler); }
  // Every key pressed on the window, as a virtual-key code and the modifier
  // state (1 Shift, 2 Ctrl, 4 Alt).
  void OnKeyDown(std::function<void(uint16_t, int16_t)> handler) {
    onKeyDown_ = std::move(handler);
  }

 protected:
  void Open() const {
    if (onOpen_) onOpen_();
  }
  void Exit() const {
    if (onExit_) onExit_();
  }
  void KeyDown(uint16_t keyCode, int16_t shift) const {
    if (onKeyDown_) onKeyDown_(keyCode, shift);
  }

 private:
  std::function<void()> onOpen_;
  std::function<void()> onExit_;
  std::function<void(uint16_t, int16_t)> onKeyDown_;
};
