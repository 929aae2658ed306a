// Code page 932 through the system's own MultiByteToWideChar: stories read
// exactly as Japanese Windows reads text.
#include "platform/Cp932Converter.h"

#include <windows.h>

namespace {

constexpr UINT CodePage = 932;
// Nothing to hold open; the handle only says the code page is there.
const UINT AvailableMark = CodePage;

}  // namespace

Cp932Converter::Cp932Converter() {
  if (IsValidCodePage(CodePage)) handle_ = const_cast<UINT*>(&AvailableMark);
}

Cp932Converter::~Cp932Converter() = default;

Cp932Converter::Outcome Cp932Converter::Convert(const unsigned char* bytes, size_t size,
                                                char16_t& unit) const {
  if (size == 1 && IsDBCSLeadByteEx(CodePage, bytes[0])) return Outcome::CutOff;
  wchar_t out[4];
  const int written = MultiByteToWideChar(CodePage, MB_ERR_INVALID_CHARS,
                                          reinterpret_cast<const char*>(bytes),
                                          static_cast<int>(size), out, 4);
  // Two units from two bytes: the second byte is no trail byte, so the lead
  // byte on its own is no code.
  if (written == 0 || (size == 2 && written == 2)) return Outcome::Invalid;
  if (written != 1) return Outcome::Unexpected;
  unit = static_cast<char16_t>(out[0]);
  return Outcome::Unit;
}
