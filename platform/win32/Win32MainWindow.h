#pragma once

#include <windows.h>

#include "platform/MainWindow.h"
#include "platform/WindowEvents.h"

// The reader's window on Windows: a strip of title bar and menu bar whose
// title is the story's display. Like the Qt window it knows nothing of
// stories; the program's start connects its menu commands and keys to the
// handlers.
class Win32MainWindow : public MainWindow, public WindowEvents {
 public:
  // Menu command identifiers.
  static constexpr UINT OpenCommand = 1;
  static constexpr UINT ExitCommand = 2;

  explicit Win32MainWindow(HINSTANCE instance);
  Win32MainWindow(const Win32MainWindow&) = delete;
  Win32MainWindow& operator=(const Win32MainWindow&) = delete;
  ~Win32MainWindow() override;

  void SetCaption(std::u16string_view text) override;
  bool IsMinimized() const override;
  void Minimize() override;
  std::optional<std::string> ShowOpen(const OpenDialogSetup& setup) override;
  void ShowMessage(std::u16string_view text, std::u16string_view title) override;
  void Quit() override;

  void Show(int showCommand);
  // Runs the window's messages until the program is to end; the exit code.
  int Run();
  HWND Handle() const { return window_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  SIZE Size() const;
  // Gives the window the strip's size for the system's current metrics,
  // where it is; a minimized window gets it when it is restored.
  void FitStrip();

  HWND window_ = nullptr;
};
