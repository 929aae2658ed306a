// A console program under WASI. The host hands over no current folder, only
// folders opened in advance; the runner names the one it started in as PWD,
// so relative names, and the names messages show, are those the user typed.
#include "platform/ConsoleProgram.h"

#include <unistd.h>

#include <cstdlib>

std::vector<std::string> StartConsoleProgram(int argc, char** argv) {
  if (const char* folder = std::getenv("PWD"); folder != nullptr && folder[0] == '/') {
    ::chdir(folder);
  }
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}
