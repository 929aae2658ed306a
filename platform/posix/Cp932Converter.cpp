// Code page 932 through the C library's iconv.
#include "platform/Cp932Converter.h"

#include <iconv.h>

#include <bit>
#include <cerrno>

namespace {

const char* NativeUtf16() {
  return std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
}

iconv_t Converter(void* handle) { return static_cast<iconv_t>(handle); }

}  // namespace

Cp932Converter::Cp932Converter() {
  const iconv_t converter = iconv_open(NativeUtf16(), "CP932");
  if (converter != reinterpret_cast<iconv_t>(-1)) handle_ = converter;
}

Cp932Converter::~Cp932Converter() {
  if (handle_ != nullptr) iconv_close(Converter(handle_));
}

Cp932Converter::Outcome Cp932Converter::Convert(const unsigned char* bytes, size_t size,
                                                char16_t& unit) const {
  const iconv_t converter = Converter(handle_);
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  char16_t out[4];
  char* source = const_cast<char*>(reinterpret_cast<const char*>(bytes));
  size_t sourceLeft = size;
  char* target = reinterpret_cast<char*>(out);
  size_t targetLeft = sizeof out;
  const size_t result = iconv(converter, &source, &sourceLeft, &target, &targetLeft);
  const size_t written = (sizeof out - targetLeft) / sizeof(char16_t);
  if (result == static_cast<size_t>(-1)) {
    if (written != 0 || sourceLeft != size) return Outcome::Unexpected;
    if (errno == EINVAL) return Outcome::CutOff;
    if (errno == EILSEQ) return Outcome::Invalid;
    return Outcome::Unexpected;
  }
  if (written != 1 || sourceLeft != 0) return Outcome::Unexpected;
  unit = out[0];
  return Outcome::Unit;
}
