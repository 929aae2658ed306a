#pragma once

#include <fstream>
#include <string>

// File names travel through the program as std::string: bytes on POSIX and
// WASI, UTF-8 on Windows. What a command does with a name goes through here,
// so that each platform meets its file system in its own way.

// `name` with its extension (".svg") in place of the one it has, or added.
std::string ReplaceExtension(const std::string& name, const std::string& extension);
// The extension of the name's last part, dot included; empty when it has none.
std::string ExtensionOf(const std::string& name);
// Whether both names lead to one existing file.
bool SameFile(const std::string& one, const std::string& other);
// Opens the file `name` to be written from its start, as bytes.
void OpenToWrite(std::ofstream& file, const std::string& name);
// Opens the file `name` to be read as bytes, when it is a regular file: a
// FIFO or a device would block or never end. False when it is not opened.
bool OpenRegularToRead(std::ifstream& file, const std::string& name);
