#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/StripGeometry.h"
#include "platform/win32/Win32OpenDialog.h"

namespace {

// Twips are physical, so the client width follows the DPI; the strip stays
// 285 twips short of the frame, title bar and menu bar at every DPI.
TEST(Win32Window, StripScalesWithTheDpi) {
  constexpr DWORD Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  const struct {
    UINT dpi;
    int clientWidth;
    int cut;
  } cases[] = {{96, 544, 19}, {120, 680, 24}, {144, 816, 29}, {192, 1088, 38}};
  for (const auto& c : cases) {
    RECT noClient{0, 0, 0, 0};
    ASSERT_TRUE(AdjustWindowRectExForDpi(&noClient, Style, TRUE, 0, c.dpi));
    const SIZE strip = StripWindowSize(Style, 0, c.dpi);
    EXPECT_EQ(strip.cx - (noClient.right - noClient.left), c.clientWidth) << c.dpi;
    EXPECT_EQ((noClient.bottom - noClient.top) - strip.cy, c.cut) << c.dpi;
  }
}

TEST(Win32Window, DialogFilterEndsInTwoNuls) {
  const struct {
    std::u16string filter;
    std::wstring expected;
  } cases[] = {
      {u"Velnoriファイル(*.vln)|*.vln", std::wstring(L"Velnoriファイル(*.vln)\0*.vln\0\0", 26)},
      {u"a|*.a|b|*.b", std::wstring(L"a\0*.a\0b\0*.b\0\0", 13)},
      {u"", std::wstring(L"\0", 1)},
  };
  for (const auto& c : cases) EXPECT_EQ(DialogFilterFrom(c.filter), c.expected);
}

}  // namespace
