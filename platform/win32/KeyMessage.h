#pragma once

#include <windows.h>

#include <cstdint>

// The strip takes keys, never text. A Japanese reader's IME, left on, would
// take the digits and Space for a composition, so the window has none.
void DetachIme(HWND window);

// The virtual-key code of a WM_KEYDOWN or WM_SYSKEYDOWN. A key the IME has
// seen arrives as VK_PROCESSKEY; it is given back its own code, from the IME
// while the message is untranslated, else from the key's scan code.
uint16_t VirtualKeyOf(HWND window, WPARAM wParam, LPARAM lParam);
