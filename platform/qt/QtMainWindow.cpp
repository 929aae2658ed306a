#include "platform/qt/QtMainWindow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QWindow>
#include <algorithm>

#include "platform/WindowCaption.h"
#include "platform/qt/QtOpenDialog.h"
#include "platform/qt/X11WindowName.h"

namespace {

QString FromUtf16(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QtMainWindow::QtMainWindow(QWidget* parent)
    : QMainWindow(parent), nativeKeys_(NativeKeysOf(QGuiApplication::platformName())) {
  // The menu bar is part of the strip, so a desktop's global menu must not
  // take it away; this also spares every start the D-Bus round trip of
  // asking the desktop for one.
  QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
  mnuFile_ = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
  mnuFile_->setObjectName(QStringLiteral("mnuFile"));
  mnuFileOpen_ = mnuFile_->addAction(QStringLiteral("開く(&O)"));
  mnuFileOpen_->setObjectName(QStringLiteral("mnuFileOpen"));
  mnuFileClose_ = mnuFile_->addAction(QStringLiteral("終了(&X)"));
  mnuFileClose_->setObjectName(QStringLiteral("mnuFileClose"));
  connect(mnuFileOpen_, &QAction::triggered, this, [this] { Open(); });
  connect(mnuFileClose_, &QAction::triggered, this, [this] { Exit(); });

  // The window is cut 19 pixels short of its menu bar, so only the title bar
  // and the top of the menu bar show. heightForWidth, because under some
  // styles sizeHint gives the height of a bar wider than the strip.
  const int menuHeight = menuBar()->heightForWidth(StripWidth);
  setFixedSize(StripWidth, std::max(1, menuHeight - MenuBarCut));

  // The native window exists from the start, so the caption goes straight to
  // it and is never read for a "[*]" placeholder as a widget title would be.
  create();
}

void QtMainWindow::SetCaption(std::u16string_view text) {
  caption_ = FromUtf16(WindowCaption(text));
  ApplyCaption();
}

void QtMainWindow::ApplyCaption() {
  QWindow* window = windowHandle();
  if (window == nullptr) return;
  window->setTitle(caption_);
  if (caption_.isEmpty()) ClearX11WindowName(*window);
}

bool QtMainWindow::IsMinimized() const { return isMinimized(); }

void QtMainWindow::Minimize() { showMinimized(); }

std::optional<std::string> QtMainWindow::ShowOpen(const OpenDialogSetup& setup) {
  return RunOpenDialog(this, setup);
}

void QtMainWindow::ShowMessage(std::u16string_view text, std::u16string_view title) {
  QMessageBox box(QMessageBox::NoIcon, FromUtf16(title), FromUtf16(text), QMessageBox::Ok, this);
  box.exec();
}

void QtMainWindow::Quit() { QCoreApplication::exit(0); }

void QtMainWindow::keyPressEvent(QKeyEvent* event) {
  KeyDown(VirtualKeyFromQt(*event, nativeKeys_), ShiftStateFromQt(*event));
  event->accept();
}

