#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include <QMainWindow>

#include "platform/MainWindow.h"
#include "platform/WindowEvents.h"
#include "platform/qt/VirtualKeyFromQt.h"

class QAction;
class QMenu;

// The reader's window: a strip of title bar and menu bar, 544 pixels wide,
// whose title is the story's display. It knows nothing of stories; whoever
// starts the program connects its menu commands and keys to the handlers.
class QtMainWindow : public QMainWindow, public MainWindow, public WindowEvents {
 public:
  // Width of the strip; its height leaves no room below the menu bar.
  static constexpr int StripWidth = 544;
  // How much shorter than its menu bar the window is made.
  static constexpr int MenuBarCut = 19;

  explicit QtMainWindow(QWidget* parent = nullptr);

  void SetCaption(std::u16string_view text) override;
  bool IsMinimized() const override;
  void Minimize() override;
  std::optional<std::string> ShowOpen(const OpenDialogSetup& setup) override;
  void ShowMessage(std::u16string_view text, std::u16string_view title) override;
  void Quit() override;

  // The File menu, which pops up over the clipped menu bar.
  QMenu* FileMenu() const { return mnuFile_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ApplyCaption();

  QMenu* mnuFile_;
  QAction* mnuFileOpen_;
  QAction* mnuFileClose_;
  QString caption_;
  NativeKeys nativeKeys_;
};
