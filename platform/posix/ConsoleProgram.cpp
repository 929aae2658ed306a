#include "platform/ConsoleProgram.h"

std::vector<std::string> StartConsoleProgram(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}
