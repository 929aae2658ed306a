#include "platform/win32/Win32MainWindow.h"

#include <string>

#include "platform/WindowCaption.h"
#include "platform/win32/KeyMessage.h"
#include "platform/win32/StripGeometry.h"
#include "platform/win32/Win32OpenDialog.h"
#include "platform/win32/WideText.h"

namespace {

constexpr wchar_t ClassName[] = L"Velnori";
// No sizing border and no maximize box: the strip has one shape.
constexpr DWORD Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD ExtendedStyle = 0;
// The program's icon in its resources.
constexpr WORD IconId = 1;

HMENU CreateStripMenu() {
  const HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, Win32MainWindow::OpenCommand, L"開く(&O)");
  AppendMenuW(file, MF_STRING, Win32MainWindow::ExitCommand, L"終了(&X)");
  const HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"ﾌｧｲﾙ(&F)");
  return bar;
}

// The key-down modifier state: 1 Shift, 2 Ctrl, 4 Alt.
int16_t ShiftState() {
  int16_t state = 0;
  if (GetKeyState(VK_SHIFT) < 0) state |= 1;
  if (GetKeyState(VK_CONTROL) < 0) state |= 2;
  if (GetKeyState(VK_MENU) < 0) state |= 4;
  return state;
}

}  // namespace

Win32MainWindow::Win32MainWindow(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &Win32MainWindow::Procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IconId));
  windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IconId), IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON),
                                                      GetSystemMetrics(SM_CYSMICON), 0));
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = ClassName;
  RegisterClassExW(&windowClass);

  // Created at the primary monitor's DPI, then sized for the DPI of the
  // monitor it landed on.
  const SIZE first = StripWindowSize(Style, ExtendedStyle, GetDpiForSystem());
  CreateWindowExW(ExtendedStyle, ClassName, L"", Style, CW_USEDEFAULT, CW_USEDEFAULT, first.cx,
                  first.cy, nullptr, CreateStripMenu(), instance, this);
  if (window_ == nullptr) return;
  FitStrip();
  DetachIme(window_);
}

Win32MainWindow::~Win32MainWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

SIZE Win32MainWindow::Size() const {
  return StripWindowSize(Style, ExtendedStyle, GetDpiForWindow(window_));
}

void Win32MainWindow::FitStrip() {
  const SIZE size = Size();
  if (!IsIconic(window_)) {
    SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window_, &placement)) return;
  RECT& normal = placement.rcNormalPosition;
  normal.right = normal.left + size.cx;
  normal.bottom = normal.top + size.cy;
  placement.showCmd = SW_SHOWMINNOACTIVE;
  SetWindowPlacement(window_, &placement);
}

void Win32MainWindow::SetCaption(std::u16string_view text) {
  SetWindowTextW(window_, WideFrom(WindowCaption(text)).c_str());
}

bool Win32MainWindow::IsMinimized() const { return IsIconic(window_) != FALSE; }

void Win32MainWindow::Minimize() { ShowWindow(window_, SW_MINIMIZE); }

std::optional<std::string> Win32MainWindow::ShowOpen(const OpenDialogSetup& setup) {
  return RunOpenDialog(window_, setup);
}

void Win32MainWindow::ShowMessage(std::u16string_view text, std::u16string_view title) {
  MessageBoxW(window_, WideFrom(text).c_str(), WideFrom(title).c_str(), MB_OK);
}

void Win32MainWindow::Quit() { DestroyWindow(window_); }

void Win32MainWindow::Show(int showCommand) {
  ShowWindow(window_, showCommand);
  UpdateWindow(window_);
}

int Win32MainWindow::Run() {
  MSG message;
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

LRESULT CALLBACK Win32MainWindow::Procedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Win32MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return self->OnMessage(window, message, wParam, lParam);
}

LRESULT Win32MainWindow::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      KeyDown(VirtualKeyOf(window, wParam, lParam), ShiftState());
      return 0;
    case WM_SYSKEYDOWN: {
      // A key with Alt held (and F10) is the reader's as it is without Alt:
      // Alt+Down reads on, Alt+1 answers. It then goes on to DefWindowProcW,
      // which opens the menu by its access keys, closes on Alt+F4 and opens
      // the system menu on Alt+Space, so Space with Alt does not minimize.
      const uint16_t key = VirtualKeyOf(window, wParam, lParam);
      if (key != VK_SPACE) KeyDown(key, ShiftState());
      break;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) == 0 && LOWORD(wParam) == OpenCommand) Open();
      if (HIWORD(wParam) == 0 && LOWORD(wParam) == ExitCommand) Exit();
      return 0;
    case WM_GETMINMAXINFO: {
      // Windows would hold the window at SM_CYMINTRACK, taller than the
      // strip; and a maximize (a shortcut set to maximized, start /max)
      // would spread it over the screen even without a maximize box. Every
      // size it may take is the strip's, where it stands.
      if (window_ == nullptr) break;
      const SIZE size = Size();
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = limits->ptMaxTrackSize = limits->ptMaxSize = POINT{size.cx, size.cy};
      WINDOWPLACEMENT placement{};
      placement.length = sizeof placement;
      if (GetWindowPlacement(window, &placement)) {
        limits->ptMaxPosition = POINT{placement.rcNormalPosition.left, placement.rcNormalPosition.top};
      }
      return 0;
    }
    case WM_SIZE:
      // Maximized, the strip could not be moved and would ask the window
      // manager to fill the screen: it is shown normally instead.
      if (wParam == SIZE_MAXIMIZED) PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
      return 0;
    case WM_SETTINGCHANGE:
      // The system's text size or title bar height changed: the title and
      // menu bars have new heights, and the strip follows them.
      if (window_ != nullptr) FitStrip();
      break;
    case WM_DPICHANGED: {
      // The window moved to a monitor of another DPI: the strip keeps its
      // physical size, placed where Windows suggests.
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      const SIZE size = StripWindowSize(Style, ExtendedStyle, HIWORD(wParam));
      SetWindowPos(window, nullptr, suggested->left, suggested->top, size.cx, size.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_DESTROY:
      window_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
