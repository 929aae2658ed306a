// The program's start on Windows: one story, one window, one file input, and
// the handlers between them. Everything else happens in the handlers.
#include <windows.h>

#include "platform/StoryFileInput.h"
#include "platform/win32/Win32MainWindow.h"
#include "story/StoryState.h"
#include "window/ConnectWindow.h"
#include "window/frmMain.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int showCommand) {
  StoryState story;
  Win32MainWindow window(instance);
  if (window.Handle() == nullptr) return 1;
  StoryFileInput input;
  frmMain form(story, window, input);
  ConnectWindow(window, form);
  window.Show(showCommand);
  return window.Run();
}
