#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <QStringList>

#include "platform/OpenDialog.h"

class QFileDialog;
class QWidget;

// Qt name filters from "description|pattern" pairs joined by "|". A pattern
// list such as "*.a;*.b" becomes "*.a *.b"; a pair missing its pattern is
// dropped, as the Windows dialog would show nothing for it.
QStringList NameFiltersFrom(std::u16string_view filter);

// Sets up Qt's own file dialog (the same on every desktop) as the program
// asks for it: title, filters, the initial name, and whether the named file
// must exist.
void SetUpOpenDialog(QFileDialog& dialog, const OpenDialogSetup& setup);

// Runs the dialog modally over `parent`; the chosen name in the file-system
// encoding, or nothing when cancelled (an empty name when the program asked
// not to be told of a cancel).
std::optional<std::string> RunOpenDialog(QWidget* parent, const OpenDialogSetup& setup);
