#pragma once

#include "platform/WindowEvents.h"
#include "window/frmMain.h"

// Every program start does the same: the window's menu commands and keys go
// to the handlers, then the handlers' window shows its first caption.
inline void ConnectWindow(WindowEvents& window, frmMain& form) {
  window.OnOpen([&form] { form.mnuFileOpen_Click(); });
  window.OnExit([&form] { form.mnuFileClose_Click(); });
  window.OnKeyDown([&form](uint16_t keyCode, int16_t shift) { form.Form_KeyDown(keyCode, shift); });
  form.Form_Load();
}
