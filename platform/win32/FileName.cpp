#include "platform/FilePath.h"

#include "platform/win32/WideText.h"

// A name that is no UTF-8 names no file; the empty path opens none either.
std::filesystem::path FilePathFrom(const std::string& name) {
  return WideFromUtf8(name).value_or(std::wstring());
}

std::string FileNameOf(const std::filesystem::path& path) {
  return Utf8FromWide(path.native()).value_or(std::string());
}
