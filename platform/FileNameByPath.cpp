// File names where std::filesystem is there to read them.
#include "platform/FileName.h"

#include <filesystem>
#include <system_error>

#include "platform/FilePath.h"

std::string ReplaceExtension(const std::string& name, const std::string& extension) {
  return FileNameOf(FilePathFrom(name).replace_extension(extension));
}

std::string ExtensionOf(const std::string& name) {
  return FileNameOf(FilePathFrom(name).extension());
}

bool SameFile(const std::string& one, const std::string& other) {
  std::error_code ignored;
  return std::filesystem::equivalent(FilePathFrom(one), FilePathFrom(other), ignored);
}

void OpenToWrite(std::ofstream& file, const std::string& name) {
  file.open(FilePathFrom(name), std::ios::binary | std::ios::trunc);
}

bool OpenRegularToRead(std::ifstream& file, const std::string& name) {
  const std::filesystem::path path = FilePathFrom(name);
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  file.open(path, std::ios::binary);
  return file.is_open();
}
