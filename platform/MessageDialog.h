#pragma once

#include <string_view>

// Not "MessageBox": <windows.h> defines that name as a macro, which would
// give this class another name in every Windows file that includes it.
class MessageDialog {
 public:
  virtual ~MessageDialog() = default;
  // A modal box with a single OK button and no icon.
  virtual void ShowMessage(std::u16string_view text, std::u16string_view title) = 0;
};
