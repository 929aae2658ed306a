// The yardsticks for the reader's start: the least a Qt program does to put a
// titled main window on the screen, built with the same compiler and flags.
// Built a second time with WITH_MENU_BAR: the same window with a one-item
// menu bar, which shows how much of the reader's start is Qt's text and
// font set-up rather than the reader's own doing.
#include <QApplication>
#include <QMainWindow>
#ifdef WITH_MENU_BAR
#include <QMenuBar>
#endif

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QMainWindow window;
#ifdef WITH_MENU_BAR
  window.menuBar()->addMenu(QStringLiteral("&File"));
#endif
  window.setWindowTitle(QStringLiteral("Velnori"));
  window.show();
  return QApplication::exec();
}
