#include "platform/win32/KeyMessage.h"

#include <imm.h>

namespace {

// A keypad key read by its scan code names its other meaning (End for 1,
// Down for 2 ...); with NumLock on it is the digit.
uint16_t KeypadDigit(uint16_t key) {
  switch (key) {
    case VK_INSERT: return VK_NUMPAD0;
    case VK_END: return VK_NUMPAD1;
    case VK_DOWN: return VK_NUMPAD2;
    case VK_NEXT: return VK_NUMPAD3;
    case VK_LEFT: return VK_NUMPAD4;
    case VK_CLEAR: return VK_NUMPAD5;
    case VK_RIGHT: return VK_NUMPAD6;
    case VK_HOME: return VK_NUMPAD7;
    case VK_UP: return VK_NUMPAD8;
    case VK_PRIOR: return VK_NUMPAD9;
    default: return key;
  }
}

uint16_t KeyFromScanCode(LPARAM lParam) {
  const UINT scan = (static_cast<UINT>(lParam) >> 16) & 0xFF;
  const bool extended = (lParam & (1 << 24)) != 0;
  const auto key = static_cast<uint16_t>(
      MapVirtualKeyW(extended ? 0xE000 | scan : scan, MAPVK_VSC_TO_VK_EX));
  if (!extended && (GetKeyState(VK_NUMLOCK) & 1) != 0) return KeypadDigit(key);
  return key;
}

}  // namespace

void DetachIme(HWND window) { ImmAssociateContextEx(window, nullptr, 0); }

uint16_t VirtualKeyOf(HWND window, WPARAM wParam, LPARAM lParam) {
  if (wParam != VK_PROCESSKEY) return static_cast<uint16_t>(wParam);
  const UINT key = ImmGetVirtualKey(window);
  if (key != 0 && key != VK_PROCESSKEY) return static_cast<uint16_t>(key);
  return KeyFromScanCode(lParam);
}
