#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What the loader asks of an Open dialog. Each platform maps these fields onto
// its own dialog; the values are the program's, not the platform's.
struct OpenDialogSetup {
  std::u16string Title;
  // "description|pattern" pairs joined by "|".
  std::u16string Filter;
  int FilterIndex = 1;
  std::u16string FileName;
  // Windows open-file flags; 4 hides the read-only box and does not insist
  // that the named file exists.
  int32_t Flags = 0;
  // Cancel is reported as a failure rather than as an empty name.
  bool CancelError = true;

  bool operator==(const OpenDialogSetup&) const = default;
};

class OpenDialog {
 public:
  virtual ~OpenDialog() = default;
  // The chosen file name in the platform's file-system encoding, or nothing
  // when the user cancelled.
  virtual std::optional<std::string> ShowOpen(const OpenDialogSetup& setup) = 0;
};
