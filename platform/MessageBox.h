#pragma once

#include <string_view>

class MessageBox {
 public:
  virtual ~MessageBox() = default;
  // A modal box with a single OK button and no icon.
  virtual void ShowMessage(std::u16string_view text, std::u16string_view title) = 0;
};
