#include "tests/Cp932Reference.h"

#include <iconv.h>

#include <cstring>

std::u16string DecodeWithConverterAlone(std::string_view bytes) {
  const iconv_t converter = iconv_open("UTF-16LE", "CP932");
  std::u16string out(bytes.size(), u'\0');
  char* source = const_cast<char*>(bytes.data());
  size_t sourceLeft = bytes.size();
  char* target = reinterpret_cast<char*>(out.data());
  size_t targetLeft = out.size() * 2;
  while (sourceLeft > 0 &&
         iconv(converter, &source, &sourceLeft, &target, &targetLeft) == static_cast<size_t>(-1)) {
    const char16_t replacement = u'\uFFFD';
    std::memcpy(target, &replacement, 2);
    target += 2;
    targetLeft -= 2;
    ++source;
    --sourceLeft;
  }
  iconv_close(converter);
  out.resize(out.size() - targetLeft / 2);
  return out;
}
