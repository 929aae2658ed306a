#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/OpenDialog.h"

// The common Open dialog (GetOpenFileNameW) set up from the loader's record.
// The chosen name comes back in UTF-8; nothing on Cancel when the record asks
// for Cancel to be a failure, as it does for stories.
std::optional<std::string> RunOpenDialog(HWND owner, const OpenDialogSetup& setup);

// The record's "description|pattern|..." filter as the dialog takes it:
// every part NUL-terminated, and one more NUL at the end.
std::wstring DialogFilterFrom(std::u16string_view filter);
