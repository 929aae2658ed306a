#include "platform/qt/QtOpenDialog.h"

#include <QFile>
#include <QFileDialog>

namespace {

// The Windows open-file flag that makes the dialog refuse a missing file.
constexpr int32_t FileMustExist = 0x1000;

QString FromUtf16(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QStringList NameFiltersFrom(std::u16string_view filter) {
  const QStringList parts = FromUtf16(filter).split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
    for (QString& pattern : patterns) pattern = pattern.trimmed();
    patterns.removeAll(QString());
    if (patterns.isEmpty()) continue;
    // Qt reads the patterns from the last parentheses; the description is
    // shown as it is because the dialog hides that part.
    filters.append(parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')');
  }
  return filters;
}

void SetUpOpenDialog(QFileDialog& dialog, const OpenDialogSetup& setup) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode((setup.Flags & FileMustExist) != 0 ? QFileDialog::ExistingFile
                                                         : QFileDialog::AnyFile);
  dialog.setWindowTitle(FromUtf16(setup.Title));
  const QStringList filters = NameFiltersFrom(setup.Filter);
  dialog.setNameFilters(filters);
  if (setup.FilterIndex >= 1 && setup.FilterIndex <= filters.size()) {
    dialog.selectNameFilter(filters[setup.FilterIndex - 1]);
  }
  if (!setup.FileName.empty()) dialog.selectFile(FromUtf16(setup.FileName));
}

std::optional<std::string> RunOpenDialog(QWidget* parent, const OpenDialogSetup& setup) {
  QFileDialog dialog(parent);
  SetUpOpenDialog(dialog, setup);
  const std::optional<std::string> cancelled =
      setup.CancelError ? std::nullopt : std::optional<std::string>(std::string());
  if (dialog.exec() != QDialog::Accepted) return cancelled;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return cancelled;
  return QFile::encodeName(files.first()).toStdString();
}
