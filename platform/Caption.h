#pragma once

#include <string_view>

// The one output of the story engine: the text in the window's title bar.
class Caption {
 public:
  virtual ~Caption() = default;
  // Replaces the whole displayed text; an empty string gives an empty title.
  virtual void SetCaption(std::u16string_view text) = 0;
};
