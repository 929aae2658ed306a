// The real window class, driven by the messages Windows sends it.
#include <gtest/gtest.h>
#include <windows.h>
#include <imm.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/StripGeometry.h"
#include "platform/win32/Win32MainWindow.h"

namespace {

constexpr DWORD StripStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// A key message's lParam: the key's scan code, extended or not, Alt or not.
LPARAM KeyBits(UINT scan, bool extended, bool alt) {
  return static_cast<LPARAM>(1 | (scan << 16) | (extended ? 1 << 24 : 0) | (alt ? 1 << 29 : 0));
}

SIZE OuterSize(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

class StripWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(window_.Handle(), nullptr);
    window_.OnKeyDown([this](uint16_t key, int16_t) { keys_.push_back(key); });
    window_.OnExit([this] { ++exits_; });
    window_.Show(SW_SHOWNORMAL);
    Pump();
  }

  // Runs what the window posted to itself.
  static void Pump() {
    MSG message;
    for (int round = 0; round < 3; ++round) {
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
          quitPosted_ = true;
          continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      Sleep(20);
    }
  }

  SIZE StripSize() const {
    return StripWindowSize(StripStyle, 0, GetDpiForWindow(window_.Handle()));
  }

  Win32MainWindow window_{GetModuleHandleW(nullptr)};
  std::vector<uint16_t> keys_;
  int exits_ = 0;
  static inline bool quitPosted_ = false;
};

// Every key reaches the handler as its own virtual-key code, with Alt held
// too; only Space with Alt stays the system menu's.
TEST_F(StripWindow, KeysReachTheHandler) {
  const struct {
    const char* why;
    UINT message;
    WPARAM key;
    LPARAM bits;
    std::vector<uint16_t> expected;
  } cases[] = {
      {"Down", WM_KEYDOWN, VK_DOWN, KeyBits(0x50, true, false), {VK_DOWN}},
      {"Alt+Down reads on", WM_SYSKEYDOWN, VK_DOWN, KeyBits(0x50, true, true), {VK_DOWN}},
      {"Alt+1 answers", WM_SYSKEYDOWN, '1', KeyBits(0x02, false, true), {'1'}},
      {"Alt+keypad 5 answers", WM_SYSKEYDOWN, VK_NUMPAD5, KeyBits(0x4C, false, true), {VK_NUMPAD5}},
      {"F10 is a key like any other", WM_SYSKEYDOWN, VK_F10, KeyBits(0x44, false, false), {VK_F10}},
      {"Alt+Space opens the system menu", WM_SYSKEYDOWN, VK_SPACE, KeyBits(0x39, false, true), {}},
      {"Space", WM_KEYDOWN, VK_SPACE, KeyBits(0x39, false, false), {VK_SPACE}},
      {"1 through an IME", WM_KEYDOWN, VK_PROCESSKEY, KeyBits(0x02, false, false), {'1'}},
      {"5 through an IME", WM_KEYDOWN, VK_PROCESSKEY, KeyBits(0x06, false, false), {'5'}},
      {"Space through an IME", WM_KEYDOWN, VK_PROCESSKEY, KeyBits(0x39, false, false), {VK_SPACE}},
      {"Down through an IME", WM_KEYDOWN, VK_PROCESSKEY, KeyBits(0x50, true, false), {VK_DOWN}},
      {"Alt+2 through an IME", WM_SYSKEYDOWN, VK_PROCESSKEY, KeyBits(0x03, false, true), {'2'}},
  };
  for (const auto& c : cases) {
    keys_.clear();
    SendMessageW(window_.Handle(), c.message, c.key, c.bits);
    EXPECT_EQ(keys_, c.expected) << c.why;
  }
  EXPECT_FALSE(IsIconic(window_.Handle())) << "no key minimized the window itself";
}

TEST_F(StripWindow, HasNoInputContext) {
  const HIMC context = ImmGetContext(window_.Handle());
  EXPECT_EQ(context, nullptr);
  if (context != nullptr) ImmReleaseContext(window_.Handle(), context);
}

// Alt+F4 is the handler's key and then still closes the window.
TEST_F(StripWindow, AltF4StillCloses) {
  const HWND handle = window_.Handle();
  SendMessageW(handle, WM_SYSKEYDOWN, VK_F4, KeyBits(0x3E, false, true));
  EXPECT_EQ(keys_, std::vector<uint16_t>{VK_F4});
  Pump();
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_EQ(window_.Handle(), nullptr);
}

TEST_F(StripWindow, CloseEndsTheProgram) {
  const HWND handle = window_.Handle();
  quitPosted_ = false;
  SendMessageW(handle, WM_CLOSE, 0, 0);
  Pump();
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_TRUE(quitPosted_);
  EXPECT_EQ(exits_, 0) << "closing is not File > Exit";
}

// A shortcut set to maximized, start /max, or a later maximize: the strip
// keeps its size and is not left maximized.
TEST_F(StripWindow, MaximizeLeavesAStrip) {
  const HWND handle = window_.Handle();
  const struct {
    const char* why;
    void (*maximize)(Win32MainWindow&, HWND);
  } cases[] = {
      {"the start's show command", [](Win32MainWindow& w, HWND) { w.Show(SW_SHOWMAXIMIZED); }},
      {"another program's ShowWindow", [](Win32MainWindow&, HWND h) { ShowWindow(h, SW_MAXIMIZE); }},
      {"the system menu's command",
       [](Win32MainWindow&, HWND h) { SendMessageW(h, WM_SYSCOMMAND, SC_MAXIMIZE, 0); }},
      {"a placement", [](Win32MainWindow&, HWND h) {
         WINDOWPLACEMENT placement{};
         placement.length = sizeof placement;
         GetWindowPlacement(h, &placement);
         placement.showCmd = SW_SHOWMAXIMIZED;
         SetWindowPlacement(h, &placement);
       }},
  };
  const SIZE strip = StripSize();
  for (const auto& c : cases) {
    c.maximize(window_, handle);
    const SIZE maximized = OuterSize(handle);
    EXPECT_EQ(maximized.cx, strip.cx) << c.why;
    EXPECT_EQ(maximized.cy, strip.cy) << c.why;
    Pump();
    EXPECT_FALSE(IsZoomed(handle)) << c.why;
    const SIZE after = OuterSize(handle);
    EXPECT_EQ(after.cx, strip.cx) << c.why;
    EXPECT_EQ(after.cy, strip.cy) << c.why;
  }
}

// The title bar's height changes with the system's text size: the strip
// follows it without a restart.
TEST_F(StripWindow, FollowsTheSystemMetrics) {
  NONCLIENTMETRICSW saved{};
  saved.cbSize = sizeof saved;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof saved, &saved, 0));
  const SIZE before = OuterSize(window_.Handle());
  NONCLIENTMETRICSW taller = saved;
  taller.iCaptionHeight += 12;
  taller.iMenuHeight += 12;
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof taller, &taller, 0));
  const SIZE expected = StripSize();
  SendMessageW(window_.Handle(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS,
               reinterpret_cast<LPARAM>(L"WindowMetrics"));
  const SIZE after = OuterSize(window_.Handle());
  SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof saved, &saved, 0);
  EXPECT_NE(expected.cy, before.cy) << "the metrics did not change the strip";
  EXPECT_EQ(after.cx, expected.cx);
  EXPECT_EQ(after.cy, expected.cy);
}

}  // namespace
