#include "platform/qt/QtJapaneseUi.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <QTranslator>

bool UseJapaneseUi(QApplication& app, QTranslator& translator) {
  // Fusion's menu bar is 19 pixels high, which makes the strip exactly a
  // title bar and one line of menu bar.
  if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) app.setStyle(fusion);
  if (!translator.load(QStringLiteral("qtbase_ja"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return false;
  }
  return app.installTranslator(&translator);
}
