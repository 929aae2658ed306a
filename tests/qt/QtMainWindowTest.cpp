#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QWindow>

#include "platform/qt/QtJapaneseUi.h"
#include "platform/qt/QtMainWindow.h"
#include "platform/qt/QtOpenDialog.h"
#include "story/mdlRead.h"
#include "tests/ScriptedInput.h"
#include "tests/qt/ModalAnswer.h"
#include "window/frmMain.h"

namespace {

// The reader as the program's start wires it, over scripted files.
struct WiredReader {
  StoryState story;
  QtMainWindow window;
  ScriptedInput input;
  frmMain form{story, window, input};

  WiredReader() {
    window.OnOpen([this] { form.mnuFileOpen_Click(); });
    window.OnExit([this] { form.mnuFileClose_Click(); });
    window.OnKeyDown([this](uint16_t key, int16_t shift) { form.Form_KeyDown(key, shift); });
    form.Form_Load();
    window.show();
  }

  QString Title() const { return window.windowHandle()->title(); }
};

void ChooseFile(const QString& name) {
  AnswerNextModal<QFileDialog>([name](QFileDialog* dialog) {
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
    static_cast<QDialog*>(dialog)->accept();  // as the Open button does
    // A dialog that refused the name would wait for the user for ever.
    if (dialog->isVisible()) dialog->reject();
  });
}

}  // namespace

class QtMainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void isAStripOfTitleAndMenuBar();
  void startsWithTheProductName();
  void menuTexts();
  void captionIsKeptVerbatim_data();
  void captionIsKeptVerbatim();
  void nameFilters_data();
  void nameFilters();
  void openDialogIsSetUpFromTheProgramsSetup();
  void openDialogReturnsATypedMissingName();
  void openDialogCancel_data();
  void openDialogCancel();
  void messageBoxHasTitleTextAndOneButton();
  void menuOpenReadsAStoryAndKeysReadOn();
  void keysReachTheHandlersWithTheirCodes();
  void spaceMinimizes();
  void altFThenXEndsTheProgram();
  void closingTheWindowEndsTheProgram();

 private:
  QTranslator translator_;
};

void QtMainWindowTest::initTestCase() {
  QVERIFY2(UseJapaneseUi(*qApp, translator_), "qtbase_ja not found (qt6-translations-l10n)");
}

void QtMainWindowTest::isAStripOfTitleAndMenuBar() {
  QtMainWindow window;
  // Fusion's menu bar is 19 pixels: the window keeps one pixel of it.
  QCOMPARE(window.menuBar()->heightForWidth(QtMainWindow::StripWidth), 19);
  QCOMPARE(window.size(), QSize(544, 1));
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QCOMPARE(window.size(), QSize(544, 1));
  QCOMPARE(window.windowHandle()->size(), QSize(544, 1));
}

void QtMainWindowTest::startsWithTheProductName() {
  WiredReader reader;
  QCOMPARE(reader.Title(), QStringLiteral("Velnori"));
}

void QtMainWindowTest::menuTexts() {
  QtMainWindow window;
  const QList<QAction*> bar = window.menuBar()->actions();
  QCOMPARE(bar.size(), 1);
  QCOMPARE(bar[0]->text(), QStringLiteral("ﾌｧｲﾙ(&F)"));
  QMenu* file = window.findChild<QMenu*>(QStringLiteral("mnuFile"));
  QVERIFY(file != nullptr);
  QCOMPARE(file->menuAction(), bar[0]);
  const QList<QAction*> items = file->actions();
  QCOMPARE(items.size(), 2);
  QCOMPARE(items[0]->objectName(), QStringLiteral("mnuFileOpen"));
  QCOMPARE(items[0]->text(), QStringLiteral("開く(&O)"));
  QCOMPARE(items[1]->objectName(), QStringLiteral("mnuFileClose"));
  QCOMPARE(items[1]->text(), QStringLiteral("終了(&X)"));
}

void QtMainWindowTest::captionIsKeptVerbatim_data() {
  QTest::addColumn<QString>("caption");
  QTest::newRow("a widget title would take [*] as the modified marker") << "[*]";
  QTest::newRow("[*] inside text") << "ドアが[*]開く";
  QTest::newRow("a widget title would turn [*][*] into [*]") << "[*][*]";
  QTest::newRow("empty after a jump: no application name instead") << "";
  QTest::newRow("ampersands are no mnemonics in a title") << "A&B && C";
  QTest::newRow("leading and trailing spaces are the story's") << "  間  ";
}

void QtMainWindowTest::captionIsKeptVerbatim() {
  QFETCH(QString, caption);
  QtMainWindow window;
  window.SetCaption(u"before");
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  window.SetCaption(std::u16string_view(reinterpret_cast<const char16_t*>(caption.utf16()),
                                        static_cast<size_t>(caption.size())));
  QCOMPARE(window.windowHandle()->title(), caption);
}

void QtMainWindowTest::nameFilters_data() {
  QTest::addColumn<QString>("filter");
  QTest::addColumn<QStringList>("expected");
  QTest::newRow("the reader's own filter keeps its description whole")
      << "Velnoriファイル(*.vln)|*.vln" << QStringList{"Velnoriファイル(*.vln) (*.vln)"};
  QTest::newRow("several patterns are separated by ';'")
      << "Text|*.txt;*.vln" << QStringList{"Text (*.txt *.vln)"};
  QTest::newRow("two pairs give two filters")
      << "A|*.a|B|*.b" << QStringList{"A (*.a)", "B (*.b)"};
  QTest::newRow("a description without its pattern is dropped") << "A|*.a|B"
                                                                  << QStringList{"A (*.a)"};
  QTest::newRow("an empty pattern is dropped") << "A|" << QStringList{};
  QTest::newRow("no filter at all") << "" << QStringList{};
}

void QtMainWindowTest::nameFilters() {
  QFETCH(QString, filter);
  QFETCH(QStringList, expected);
  QCOMPARE(NameFiltersFrom(std::u16string_view(reinterpret_cast<const char16_t*>(filter.utf16()),
                                               static_cast<size_t>(filter.size()))),
           expected);
}

void QtMainWindowTest::openDialogIsSetUpFromTheProgramsSetup() {
  QFileDialog dialog;
  SetUpOpenDialog(dialog, StoryOpenDialogSetup());
  QCOMPARE(dialog.windowTitle(), QStringLiteral("ファイルを開く"));
  QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog));
  QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
  // A missing file is handed back, to fail at reading and give the message.
  QCOMPARE(dialog.fileMode(), QFileDialog::AnyFile);
  auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  QVERIFY(types != nullptr);
  QCOMPARE(types->count(), 1);
  QCOMPARE(types->currentText(), QStringLiteral("Velnoriファイル(*.vln)"));
  QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(), QString());
  // Qt's own dialog speaks Japanese.
  auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
  QVERIFY(buttons != nullptr);
  QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
}

void QtMainWindowTest::openDialogReturnsATypedMissingName() {
  QtMainWindow window;
  const QTemporaryDir folder;
  const QString missing = folder.filePath(QStringLiteral("ない物語.vln"));
  ChooseFile(missing);
  const std::optional<std::string> chosen = window.ShowOpen(StoryOpenDialogSetup());
  QVERIFY(chosen.has_value());
  QCOMPARE(QFile::decodeName(QByteArray::fromStdString(*chosen)), missing);
}

void QtMainWindowTest::openDialogCancel_data() {
  QTest::addColumn<bool>("cancelError");
  QTest::addColumn<bool>("answers");
  QTest::newRow("cancel reported as a failure") << true << false;
  QTest::newRow("cancel reported as an empty name when asked so") << false << true;
}

void QtMainWindowTest::openDialogCancel() {
  QFETCH(bool, cancelError);
  QFETCH(bool, answers);
  QtMainWindow window;
  OpenDialogSetup setup = StoryOpenDialogSetup();
  setup.CancelError = cancelError;
  AnswerNextModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
  const std::optional<std::string> chosen = window.ShowOpen(setup);
  QCOMPARE(chosen.has_value(), answers);
  if (chosen) QCOMPARE(*chosen, std::string());
}

void QtMainWindowTest::messageBoxHasTitleTextAndOneButton() {
  QtMainWindow window;
  bool seen = false;
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::Critical;
  qsizetype buttonCount = 0;
  QMessageBox::StandardButtons standard;
  AnswerNextModal<QMessageBox>([&](QMessageBox* box) {
    seen = true;
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    buttonCount = box->buttons().size();
    standard = box->standardButtons();
    box->buttons().constFirst()->click();
  });
  window.ShowMessage(u"ファイルが開けません", u"エラー");
  QVERIFY(seen);
  QCOMPARE(title, QStringLiteral("エラー"));
  QCOMPARE(text, QStringLiteral("ファイルが開けません"));
  QCOMPARE(icon, QMessageBox::NoIcon);
  QCOMPARE(buttonCount, 1);
  QCOMPARE(standard, QMessageBox::StandardButtons(QMessageBox::Ok));
}

// File > Open through the keyboard, as a user reaches it in the clipped bar.
void QtMainWindowTest::menuOpenReadsAStoryAndKeysReadOn() {
  WiredReader reader;
  reader.input.files["/stories/a.vln"] = {u"[s]最初の行", u"選ぶ??[x],[y]", u"[x]エックス",
                                         u"[y]ワイ"};
  QVERIFY(QTest::qWaitForWindowActive(&reader.window));
  ChooseFile(QStringLiteral("/stories/a.vln"));
  QTest::keyClick(&reader.window, Qt::Key_F, Qt::AltModifier);
  QTRY_VERIFY(reader.window.FileMenu()->isVisible());
  QTest::keyClick(reader.window.FileMenu(), Qt::Key_O);
  QTRY_COMPARE(reader.Title(), QStringLiteral("最初の行"));
  QCOMPARE(reader.input.opened, std::vector<std::string>{"/stories/a.vln"});

  QTest::keyClick(&reader.window, Qt::Key_Down);
  QCOMPARE(reader.Title(), QStringLiteral("選ぶ"));
  QTest::keyClick(&reader.window, Qt::Key_2, Qt::KeypadModifier);
  QCOMPARE(reader.Title(), QStringLiteral("ワイ"));
}

// What arrives at Form_KeyDown: the story tells which keys acted.
void QtMainWindowTest::keysReachTheHandlersWithTheirCodes() {
  WiredReader reader;
  reader.input.lines = {u"一", u"??[a],[b]", u"[a]エー", u"[b]ビー"};
  ChooseFile(QStringLiteral("/any.vln"));
  QTest::keyClick(&reader.window, Qt::Key_Down);  // no story yet: opens
  QTRY_COMPARE(reader.Title(), QStringLiteral("一"));
  QTest::keyClick(&reader.window, Qt::Key_Down, Qt::ShiftModifier | Qt::ControlModifier);
  QCOMPARE(reader.Title(), QString());
  QTest::keyClick(&reader.window, Qt::Key_3);  // no third item
  QTest::keyClick(&reader.window, Qt::Key_Down);  // a choice is pending
  QCOMPARE(reader.story.ChoiceList, std::u16string(u"[a],[b]"));
  QTest::keyClick(&reader.window, Qt::Key_1);
  QCOMPARE(reader.Title(), QStringLiteral("エー"));
}

void QtMainWindowTest::spaceMinimizes() {
  WiredReader reader;
  QVERIFY(QTest::qWaitForWindowExposed(&reader.window));
  QVERIFY(!reader.window.IsMinimized());
  QTest::keyClick(&reader.window, Qt::Key_Space);
  QVERIFY(reader.window.IsMinimized());
  QCOMPARE(reader.Title(), QStringLiteral("Velnori"));
}

void QtMainWindowTest::altFThenXEndsTheProgram() {
  WiredReader reader;
  QVERIFY(QTest::qWaitForWindowActive(&reader.window));
  QTimer::singleShot(0, &reader.window, [&reader] {
    QTest::keyClick(&reader.window, Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(reader.window.FileMenu()->isVisible());
    QTest::keyClick(reader.window.FileMenu(), Qt::Key_X);
  });
  // Should Exit not end the event loop, this ends it with a failure code.
  QTimer failsafe;
  failsafe.setSingleShot(true);
  connect(&failsafe, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
  failsafe.start(5000);
  QCOMPARE(QCoreApplication::exec(), 0);
}

void QtMainWindowTest::closingTheWindowEndsTheProgram() {
  WiredReader reader;
  QVERIFY(QTest::qWaitForWindowExposed(&reader.window));
  QTimer::singleShot(0, &reader.window, [&reader] { reader.window.close(); });
  QTimer failsafe;
  failsafe.setSingleShot(true);
  connect(&failsafe, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
  failsafe.start(5000);
  QCOMPARE(QCoreApplication::exec(), 0);
}

QTEST_MAIN(QtMainWindowTest)
#include "QtMainWindowTest.moc"
