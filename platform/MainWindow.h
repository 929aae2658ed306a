#pragma once

#include "platform/Caption.h"
#include "platform/MessageDialog.h"
#include "platform/OpenDialog.h"
#include "platform/WindowState.h"

// Everything the window's handlers need from the window they run in.
class MainWindow : public Caption, public WindowState, public OpenDialog,
                   public MessageDialog {
 public:
  // Ends the program once the current event has been handled.
  virtual void Quit() = 0;
};
