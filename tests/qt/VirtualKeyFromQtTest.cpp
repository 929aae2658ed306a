#include <QKeyEvent>
#include <QTest>

#include "platform/qt/VirtualKeyFromQt.h"

Q_DECLARE_METATYPE(NativeKeys)

class VirtualKeyFromQtTest : public QObject {
  Q_OBJECT

 private slots:
  void translatesKeys_data();
  void translatesKeys();
  void shiftState_data();
  void shiftState();
  void nativeKeysOfPlatform_data();
  void nativeKeysOfPlatform();
  void waylandKeys_data();
  void waylandKeys();
};

void VirtualKeyFromQtTest::translatesKeys_data() {
  QTest::addColumn<NativeKeys>("native");
  QTest::addColumn<int>("key");
  QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
  QTest::addColumn<quint32>("scanCode");
  QTest::addColumn<quint32>("nativeVirtualKey");
  QTest::addColumn<int>("expected");

  const Qt::KeyboardModifiers none = Qt::NoModifier;
  const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
  const Qt::KeyboardModifiers keypad = Qt::KeypadModifier;
  const auto x11 = NativeKeys::X11;
  const auto offscreen = NativeKeys::None;
  const auto windows = NativeKeys::Windows;

  // Main-row digits on X11 go by the physical key, whatever the layout prints.
  QTest::newRow("X11 Shift+1 is the key 1 though Qt reports '!'")
      << x11 << int(Qt::Key_Exclam) << shift << 10u << 0u << 49;
  QTest::newRow("X11 key 1 on a layout printing '&' unshifted")
      << x11 << int(Qt::Key_Ampersand) << none << 10u << 0u << 49;
  QTest::newRow("X11 key 5 is the last choice key")
      << x11 << int(Qt::Key_5) << none << 14u << 0u << 53;
  QTest::newRow("X11 key 6 is a digit the handlers ignore")
      << x11 << int(Qt::Key_6) << none << 15u << 0u << 54;
  QTest::newRow("X11 key 0 ends the main row")
      << x11 << int(Qt::Key_0) << none << 19u << 0u << 48;
  QTest::newRow("X11 '1' printed by some other physical key is no digit key")
      << x11 << int(Qt::Key_1) << none << 38u << 0u << 0;
  QTest::newRow("X11 event without a scan code falls back to Qt's key")
      << x11 << int(Qt::Key_2) << none << 0u << 0u << 50;
  QTest::newRow("X11 Shift+Down is still Down")
      << x11 << int(Qt::Key_Down) << shift << 116u << 0u << 40;

  // Keypad, NumLock on and off.
  QTest::newRow("X11 keypad 2 with NumLock on")
      << x11 << int(Qt::Key_2) << keypad << 88u << 0u << 98;
  QTest::newRow("keypad 1 with NumLock on, no native codes")
      << offscreen << int(Qt::Key_1) << keypad << 0u << 0u << 97;
  QTest::newRow("keypad 5 with NumLock on, no native codes")
      << offscreen << int(Qt::Key_5) << keypad << 0u << 0u << 101;
  QTest::newRow("X11 keypad 1 with NumLock off is End, not a digit")
      << x11 << int(Qt::Key_End) << keypad << 87u << 0u << 35;
  QTest::newRow("X11 keypad 2 with NumLock off is Down")
      << x11 << int(Qt::Key_Down) << keypad << 88u << 0u << 40;
  QTest::newRow("X11 keypad 5 with NumLock off is Clear")
      << x11 << int(Qt::Key_Clear) << keypad << 84u << 0u << 12;
  QTest::newRow("keypad Enter is Return")
      << offscreen << int(Qt::Key_Enter) << keypad << 0u << 0u << 13;

  // Without native codes (offscreen, synthetic events) Qt's key decides.
  QTest::newRow("offscreen main-row 3")
      << offscreen << int(Qt::Key_3) << none << 0u << 0u << 51;
  QTest::newRow("offscreen '!' cannot be told from its key: no code")
      << offscreen << int(Qt::Key_Exclam) << shift << 0u << 0u << 0;
  QTest::newRow("Down with Ctrl and Alt held")
      << offscreen << int(Qt::Key_Down) << (Qt::ControlModifier | Qt::AltModifier) << 0u << 0u
      << 40;
  QTest::newRow("Space") << offscreen << int(Qt::Key_Space) << none << 0u << 0u << 32;
  QTest::newRow("Shift+Space") << offscreen << int(Qt::Key_Space) << shift << 0u << 0u << 32;
  QTest::newRow("Up is not Down") << offscreen << int(Qt::Key_Up) << none << 0u << 0u << 38;
  QTest::newRow("letter") << offscreen << int(Qt::Key_Q) << none << 0u << 0u << 81;
  QTest::newRow("Return") << offscreen << int(Qt::Key_Return) << none << 0u << 0u << 13;
  QTest::newRow("Escape") << offscreen << int(Qt::Key_Escape) << none << 0u << 0u << 27;
  QTest::newRow("F5") << offscreen << int(Qt::Key_F5) << none << 0u << 0u << 116;
  QTest::newRow("a key with no virtual-key code")
      << offscreen << int(Qt::Key_yen) << none << 0u << 0u << 0;

  // On Windows the native virtual key is already the answer.
  QTest::newRow("Windows Shift+1 by its virtual key")
      << windows << int(Qt::Key_Exclam) << shift << 2u << 0x31u << 49;
  QTest::newRow("Windows keypad End with NumLock off")
      << windows << int(Qt::Key_End) << keypad << 79u << 35u << 35;
  QTest::newRow("Windows event without a virtual key falls back to Qt's key")
      << windows << int(Qt::Key_Down) << none << 0u << 0u << 40;
}

void VirtualKeyFromQtTest::translatesKeys() {
  QFETCH(NativeKeys, native);
  QFETCH(int, key);
  QFETCH(Qt::KeyboardModifiers, modifiers);
  QFETCH(quint32, scanCode);
  QFETCH(quint32, nativeVirtualKey);
  QFETCH(int, expected);
  const QKeyEvent event(QEvent::KeyPress, key, modifiers, scanCode, nativeVirtualKey, 0);
  QCOMPARE(int(VirtualKeyFromQt(event, native)), expected);
}

void VirtualKeyFromQtTest::shiftState_data() {
  QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
  QTest::addColumn<int>("expected");
  QTest::newRow("none") << Qt::KeyboardModifiers() << 0;
  QTest::newRow("Shift") << Qt::KeyboardModifiers(Qt::ShiftModifier) << 1;
  QTest::newRow("Ctrl") << Qt::KeyboardModifiers(Qt::ControlModifier) << 2;
  QTest::newRow("Alt") << Qt::KeyboardModifiers(Qt::AltModifier) << 4;
  QTest::newRow("all three") << (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier) << 7;
  QTest::newRow("keypad is no modifier key") << Qt::KeyboardModifiers(Qt::KeypadModifier) << 0;
  QTest::newRow("the Windows key is not counted") << Qt::KeyboardModifiers(Qt::MetaModifier) << 0;
}

void VirtualKeyFromQtTest::shiftState() {
  QFETCH(Qt::KeyboardModifiers, modifiers);
  QFETCH(int, expected);
  const QKeyEvent event(QEvent::KeyPress, Qt::Key_Down, modifiers);
  QCOMPARE(int(ShiftStateFromQt(event)), expected);
}

void VirtualKeyFromQtTest::nativeKeysOfPlatform_data() {
  QTest::addColumn<QString>("platform");
  QTest::addColumn<NativeKeys>("expected");
  QTest::newRow("X11") << "xcb" << NativeKeys::X11;
  QTest::newRow("Windows") << "windows" << NativeKeys::Windows;
  QTest::newRow("offscreen") << "offscreen" << NativeKeys::None;
  QTest::newRow("Wayland passes XKB keycodes as X11 does") << "wayland" << NativeKeys::X11;
  QTest::newRow("Wayland through EGL") << "wayland-egl" << NativeKeys::X11;
}

void VirtualKeyFromQtTest::nativeKeysOfPlatform() {
  QFETCH(QString, platform);
  QFETCH(NativeKeys, expected);
  QCOMPARE(NativeKeysOf(platform), expected);
}

// Key events as Qt's Wayland client makes them: the scan code is the
// evdev code plus 8, the key is what the layout prints.
void VirtualKeyFromQtTest::waylandKeys_data() {
  QTest::addColumn<int>("key");
  QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
  QTest::addColumn<quint32>("scanCode");
  QTest::addColumn<int>("expected");
  const Qt::KeyboardModifiers none = Qt::NoModifier;
  const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
  QTest::newRow("Shift+1 is the key 1") << int(Qt::Key_Exclam) << shift << 10u << 49;
  QTest::newRow("key 1 on a layout printing '&'") << int(Qt::Key_Ampersand) << none << 10u << 49;
  QTest::newRow("Shift+5 printing '%'") << int(Qt::Key_Percent) << shift << 14u << 53;
  QTest::newRow("keypad 2 with NumLock on")
      << int(Qt::Key_2) << Qt::KeyboardModifiers(Qt::KeypadModifier) << 88u << 98;
  QTest::newRow("'1' printed by another key") << int(Qt::Key_1) << none << 38u << 0;
  QTest::newRow("Down") << int(Qt::Key_Down) << none << 116u << 40;
}

void VirtualKeyFromQtTest::waylandKeys() {
  QFETCH(int, key);
  QFETCH(Qt::KeyboardModifiers, modifiers);
  QFETCH(quint32, scanCode);
  QFETCH(int, expected);
  const QKeyEvent event(QEvent::KeyPress, key, modifiers, scanCode, 0, 0);
  QCOMPARE(int(VirtualKeyFromQt(event, NativeKeysOf(QStringLiteral("wayland")))), expected);
}

QTEST_MAIN(VirtualKeyFromQtTest)
#include "VirtualKeyFromQtTest.moc"
