#include "tests/Cp932Reference.h"

#include <windows.h>

// MultiByteToWideChar has no way to stop at a bad byte and say where, so the
// bytes are taken one code at a time: a lead byte with the byte after it,
// any other byte alone.
std::u16string DecodeWithConverterAlone(std::string_view bytes) {
  std::u16string out;
  for (size_t i = 0; i < bytes.size();) {
    const bool lead = IsDBCSLeadByteEx(932, static_cast<BYTE>(bytes[i]));
    const int size = lead && i + 1 < bytes.size() ? 2 : 1;
    wchar_t unit[4];
    const int written = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data() + i, size,
                                            unit, 4);
    if (written == 1 && !(lead && size == 1)) {
      out += static_cast<char16_t>(unit[0]);
      i += static_cast<size_t>(size);
    } else {
      out += u'\uFFFD';
      ++i;
    }
  }
  return out;
}
