// The program's start: one story, one window, one file input, and the
// handlers between them. Everything else happens in the handlers.
#include <QApplication>
#include <QTranslator>

#include "platform/StoryFileInput.h"
#include "platform/qt/QtJapaneseUi.h"
#include "platform/qt/QtMainWindow.h"
#include "platform/qt/QtPlatformChoice.h"
#include "story/StoryState.h"
#include "window/ConnectWindow.h"
#include "window/frmMain.h"

int main(int argc, char* argv[]) {
  ChooseQtPlatform();
  QApplication app(argc, argv);
  QTranslator translator;
  UseJapaneseUi(app, translator);

  StoryState story;
  QtMainWindow window;
  StoryFileInput input;
  frmMain form(story, window, input);
  ConnectWindow(window, form);
  window.show();
  return QApplication::exec();
}
