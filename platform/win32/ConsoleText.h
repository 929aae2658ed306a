#pragma once

#include <windows.h>

#include <array>
#include <streambuf>
#include <string>

// The program speaks UTF-8; a console has a code page of its own (932 on a
// Japanese system), which the program leaves as it found it, so that the
// programs and .bat files run after it in the same window still print.
// Text to a console is written in UTF-16 and read from it in UTF-16; text
// to or from a file or pipe is the UTF-8 bytes unchanged, the same bytes as
// on other systems.

// Standard output or error.
class ConsoleOutputBuffer : public std::streambuf {
 public:
  explicit ConsoleOutputBuffer(HANDLE handle);

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  // Writes what the buffer holds; on a console a character whose bytes have
  // not all come yet waits for the rest.
  bool Drain();
  bool WriteBytes(const char* bytes, size_t size);
  bool WriteWide(const char* bytes, size_t size);

  HANDLE handle_;
  bool console_;
  std::array<char, 4096> buffer_{};
};

// Standard input typed at a console, as UTF-8. A line starting with Ctrl+Z
// ends the input, as it does for every console program.
class ConsoleInputBuffer : public std::streambuf {
 public:
  explicit ConsoleInputBuffer(HANDLE handle) : handle_(handle) {}

 protected:
  int_type underflow() override;

 private:
  HANDLE handle_;
  // The first half of a surrogate pair that ended the last read.
  wchar_t pendingHigh_ = 0;
  bool ended_ = false;
  std::string text_;
};

// True when `handle` is a console rather than a file or pipe.
bool IsConsole(HANDLE handle);
