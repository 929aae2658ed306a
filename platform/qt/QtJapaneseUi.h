#pragma once

class QApplication;
class QTranslator;

// The reader's user interface is Japanese and looks the same on every
// desktop: Qt's own dialogs speak Japanese through `translator` (which must
// outlive the application's use of it) and every window is drawn in the
// Fusion style. False when Qt's Japanese translation is not installed; the
// program still runs, with Qt's buttons in English.
bool UseJapaneseUi(QApplication& app, QTranslator& translator);
