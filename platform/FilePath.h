#pragma once

#include <filesystem>
#include <string>

// File names travel through the program as std::string: bytes on POSIX,
// UTF-8 on Windows. A C runtime that opens such a string on Windows reads it
// in the ANSI code page and opens another file, so every name meets the
// file system as a path made here.
std::filesystem::path FilePathFrom(const std::string& name);
// And back, for messages and further names.
std::string FileNameOf(const std::filesystem::path& path);
