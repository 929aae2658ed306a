#pragma once

#include <windows.h>

// The reader's window is a strip: a client area 8,160 twips wide, and 285
// twips (19 pixels at 96 DPI) less high than the title bar, frame and menu
// bar need, so only they show. Twips are physical, so both scale with the
// DPI of the monitor the window is on.
inline constexpr int StripWidthTwips = 8160;
inline constexpr int MenuBarCutTwips = 285;
inline constexpr int TwipsPerInch = 1440;

// The outer size of the strip for a window of these styles with a menu bar.
SIZE StripWindowSize(DWORD style, DWORD extendedStyle, UINT dpi);
