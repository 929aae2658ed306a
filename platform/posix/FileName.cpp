#include "platform/FilePath.h"

// A POSIX name is the bytes it was given, whatever their encoding.
std::filesystem::path FilePathFrom(const std::string& name) { return name; }

std::string FileNameOf(const std::filesystem::path& path) { return path.native(); }
