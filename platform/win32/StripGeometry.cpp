#include "platform/win32/StripGeometry.h"

SIZE StripWindowSize(DWORD style, DWORD extendedStyle, UINT dpi) {
  const int dots = static_cast<int>(dpi);
  RECT frame{0, 0, MulDiv(StripWidthTwips, dots, TwipsPerInch), 0};
  AdjustWindowRectExForDpi(&frame, style, TRUE, extendedStyle, dpi);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top - MulDiv(MenuBarCutTwips, dots, TwipsPerInch);
  return SIZE{width, height > 1 ? height : 1};
}
