// File names under WASI, which has no std::filesystem: the same rules for a
// name's last part and its extension, and stat for the file behind it.
#include "platform/FileName.h"

#include <sys/stat.h>

namespace {

// Where the extension's dot is in `name`, or npos. As std::filesystem reads
// names: the last dot of the last part, unless it begins that part, and
// never in "." or "..".
size_t ExtensionDot(const std::string& name) {
  const size_t slash = name.rfind('/');
  const size_t start = slash == std::string::npos ? 0 : slash + 1;
  const std::string_view last = std::string_view(name).substr(start);
  if (last == "." || last == "..") return std::string::npos;
  const size_t dot = last.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::string::npos;
  return start + dot;
}

}  // namespace

std::string ReplaceExtension(const std::string& name, const std::string& extension) {
  std::string replaced = name.substr(0, ExtensionDot(name));
  if (!extension.empty() && extension.front() != '.') replaced += '.';
  return replaced + extension;
}

std::string ExtensionOf(const std::string& name) {
  const size_t dot = ExtensionDot(name);
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

bool SameFile(const std::string& one, const std::string& other) {
  struct stat first {};
  struct stat second {};
  return ::stat(one.c_str(), &first) == 0 && ::stat(other.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

void OpenToWrite(std::ofstream& file, const std::string& name) {
  file.open(name, std::ios::binary | std::ios::trunc);
}

bool OpenRegularToRead(std::ifstream& file, const std::string& name) {
  struct stat status {};
  if (::stat(name.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  file.open(name, std::ios::binary);
  return file.is_open();
}
