#include <QTest>

#include "platform/qt/QtPlatformChoice.h"

class QtPlatformChoiceTest : public QObject {
  Q_OBJECT

 private slots:
  void choosesX11WhereReachable_data();
  void choosesX11WhereReachable();
};

void QtPlatformChoiceTest::choosesX11WhereReachable_data() {
  QTest::addColumn<QByteArray>("qpaPlatform");
  QTest::addColumn<QByteArray>("display");
  QTest::addColumn<QByteArray>("waylandDisplay");
  QTest::addColumn<QString>("expected");  // empty: Qt chooses
  const QByteArray unset;  // a null QByteArray stands for an unset variable
  QTest::newRow("X11 session") << unset << QByteArray(":0") << unset << "xcb;wayland";
  QTest::newRow("Wayland session with XWayland")
      << unset << QByteArray(":0") << QByteArray("wayland-0") << "xcb;wayland";
  QTest::newRow("Wayland only") << unset << unset << QByteArray("wayland-0") << "wayland";
  QTest::newRow("DISPLAY set but empty, Wayland there")
      << unset << QByteArray("") << QByteArray("wayland-0") << "wayland";
  QTest::newRow("no display at all") << unset << unset << unset << "";
  QTest::newRow("the user's choice stands")
      << QByteArray("wayland") << QByteArray(":0") << QByteArray("wayland-0") << "";
  QTest::newRow("offscreen chosen by the user") << QByteArray("offscreen") << unset << unset << "";
  QTest::newRow("an empty QT_QPA_PLATFORM is no choice")
      << QByteArray("") << QByteArray(":1") << unset << "xcb;wayland";
}

void QtPlatformChoiceTest::choosesX11WhereReachable() {
  QFETCH(QByteArray, qpaPlatform);
  QFETCH(QByteArray, display);
  QFETCH(QByteArray, waylandDisplay);
  QFETCH(QString, expected);
  const auto valueOf = [](const QByteArray& value) {
    return value.isNull() ? nullptr : value.constData();
  };
  const std::optional<std::string> platform =
      QtPlatformFor(valueOf(qpaPlatform), valueOf(display), valueOf(waylandDisplay));
  QCOMPARE(QString::fromStdString(platform.value_or("")), expected);
  QCOMPARE(platform.has_value(), !expected.isEmpty());
}

QTEST_MAIN(QtPlatformChoiceTest)
#include "QtPlatformChoiceTest.moc"
