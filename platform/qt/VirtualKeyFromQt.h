#pragma once

#include <cstdint>

#include <QString>

class QKeyEvent;

// Which native key information a platform puts into its key events.
enum class NativeKeys {
  None,     // offscreen, synthetic events: only Qt's key and modifiers
  X11,      // nativeScanCode() is the XKB keycode: X11, and Wayland too
  Windows,  // nativeVirtualKey() already is the virtual-key code
};

NativeKeys NativeKeysOf(const QString& platformName);

// The Windows virtual-key code of a pressed key, or 0 for a key that has none
// the reader could act on. Digits on the main row are told by the physical
// key where the platform says which one it was, so Shift+1 is still the key 1
// on every keyboard layout.
uint16_t VirtualKeyFromQt(const QKeyEvent& event, NativeKeys native);

// The key-down modifier state: 1 Shift, 2 Ctrl, 4 Alt.
int16_t ShiftStateFromQt(const QKeyEvent& event);
