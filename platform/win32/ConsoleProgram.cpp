// argv holds the arguments in the ANSI code page, where a name the code page
// cannot spell is lost; the UTF-16 command line holds them whole.
#include "platform/ConsoleProgram.h"

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <iostream>

#include "platform/win32/ArgumentWildcards.h"
#include "platform/win32/ConsoleText.h"
#include "platform/win32/WideText.h"

namespace {

// The streams print until the very end of the program, after every static
// object has gone, so their buffers are never freed.
void UseConsoleText() {
  std::cout.rdbuf(new ConsoleOutputBuffer(GetStdHandle(STD_OUTPUT_HANDLE)));
  std::cerr.rdbuf(new ConsoleOutputBuffer(GetStdHandle(STD_ERROR_HANDLE)));
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (IsConsole(input)) std::cin.rdbuf(new ConsoleInputBuffer(input));
}

}  // namespace

std::vector<std::string> StartConsoleProgram(int /*argc*/, char** /*argv*/) {
  UseConsoleText();
  std::vector<std::string> words;
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr) return words;
  for (int i = 1; i < count; ++i) {
    for (const std::wstring& word : ExpandWildcards(arguments[i])) {
      // An argument that is no UTF-16 (a lone surrogate) names no file that
      // could be opened; an empty word stands for it.
      words.push_back(Utf8FromWide(word).value_or(std::string()));
    }
  }
  LocalFree(arguments);
  return words;
}
