// argv holds the arguments in the ANSI code page, where a name the code page
// cannot spell is lost; the UTF-16 command line holds them whole.
#include "platform/ConsoleProgram.h"

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/win32/WideText.h"

std::vector<std::string> StartConsoleProgram(int /*argc*/, char** /*argv*/) {
  // UTF-8 on the console; and no LF turned into CR LF, so that output is
  // byte for byte what the tool prints on other systems.
  SetConsoleOutputCP(CP_UTF8);
  SetConsoleCP(CP_UTF8);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);

  std::vector<std::string> words;
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr) return words;
  for (int i = 1; i < count; ++i) {
    // An argument that is no UTF-16 (a lone surrogate) names no file that
    // could be opened; an empty word stands for it.
    words.push_back(Utf8FromWide(arguments[i]).value_or(std::string()));
  }
  LocalFree(arguments);
  return words;
}
