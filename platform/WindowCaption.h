#pragma once

#include <cstddef>
#include <string_view>

// The most UTF-16 units of a caption that any window front end hands to its
// window system. A story line may run to gigabytes, but X11 refuses a request
// over its maximum length (and drops the connection), and a title bar shows
// some forty characters. Four thousand units is far more than any title bar
// can show and far below every window system's limit.
inline constexpr size_t MaxWindowCaptionLength = 4096;

// The part of `caption` a window is given: all of it when it fits, otherwise
// its first MaxWindowCaptionLength units, one fewer when the cut would split
// a surrogate pair. The engine's caption itself stays whole.
constexpr std::u16string_view WindowCaption(std::u16string_view caption) {
  if (caption.size() <= MaxWindowCaptionLength) return caption;
  size_t length = MaxWindowCaptionLength;
  const char16_t last = caption[length - 1];
  if (last >= 0xD800 && last <= 0xDBFF) --length;
  return caption.substr(0, length);
}
