#include "platform/qt/VirtualKeyFromQt.h"

#include <QKeyEvent>

namespace {

// X keycodes of the main-row keys 1..9 and 0 (evdev keycodes plus 8).
constexpr quint32 X11MainRowFirst = 10;
constexpr quint32 X11MainRowLast = 19;

uint16_t MainRowDigit(quint32 x11Keycode) {
  if (x11Keycode == X11MainRowLast) return '0';
  return static_cast<uint16_t>('1' + (x11Keycode - X11MainRowFirst));
}

// Keypad keys while NumLock is on; with NumLock off Qt reports them as the
// navigation keys they then are, and those take the general table.
uint16_t KeypadKey(int key) {
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<uint16_t>(96 + (key - Qt::Key_0));
  switch (key) {
    case Qt::Key_Asterisk: return 106;
    case Qt::Key_Plus: return 107;
    case Qt::Key_Minus: return 109;
    case Qt::Key_Period:
    case Qt::Key_Comma: return 110;
    case Qt::Key_Slash: return 111;
    default: return 0;
  }
}

uint16_t GeneralKey(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<uint16_t>('A' + (key - Qt::Key_A));
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<uint16_t>('0' + (key - Qt::Key_0));
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<uint16_t>(112 + (key - Qt::Key_F1));
  switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Clear: return 12;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Print: return 44;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Meta: return 91;
    case Qt::Key_Menu: return 93;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    default: return 0;
  }
}

}  // namespace

NativeKeys NativeKeysOf(const QString& platformName) {
  if (platformName == QLatin1String("xcb")) return NativeKeys::X11;
  // Qt's Wayland client passes the evdev code plus 8 on, as the X server does.
  if (platformName.startsWith(QLatin1String("wayland"))) return NativeKeys::X11;
  if (platformName == QLatin1String("windows")) return NativeKeys::Windows;
  return NativeKeys::None;
}

uint16_t VirtualKeyFromQt(const QKeyEvent& event, NativeKeys native) {
  if (native == NativeKeys::Windows && event.nativeVirtualKey() != 0 &&
      event.nativeVirtualKey() <= 0xFFFF) {
    return static_cast<uint16_t>(event.nativeVirtualKey());
  }
  const int key = event.key();
  if (event.modifiers().testFlag(Qt::KeypadModifier)) {
    if (const uint16_t code = KeypadKey(key)) return code;
    return GeneralKey(key);
  }
  if (native == NativeKeys::X11) {
    const quint32 keycode = event.nativeScanCode();
    if (keycode >= X11MainRowFirst && keycode <= X11MainRowLast) return MainRowDigit(keycode);
    // A digit typed on any other physical key is not a digit key.
    if (keycode != 0 && key >= Qt::Key_0 && key <= Qt::Key_9) return 0;
  }
  return GeneralKey(key);
}

int16_t ShiftStateFromQt(const QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  int16_t state = 0;
  if (modifiers.testFlag(Qt::ShiftModifier)) state |= 1;
  if (modifiers.testFlag(Qt::ControlModifier)) state |= 2;
  if (modifiers.testFlag(Qt::AltModifier)) state |= 4;
  return state;
}
