// vln: the story author's tool. Plays a story through the reader's own
// handlers without a window, checks stories for mistakes a reader would run
// into, and draws a story's map.

#include <iostream>
#include <string>
#include <vector>

#include "platform/ConsoleProgram.h"
#include "platform/StoryFileInput.h"
#include "tools/vln/check/CheckCommand.h"
#include "tools/vln/lsp/LspCommand.h"
#include "tools/vln/map/MapCommand.h"
#include "tools/vln/play/PlayCommand.h"

namespace {

constexpr const char* Usage =
    "usage: vln play [--json] STORY [EVENT...]\n"
    "       vln check STORY...\n"
    "       vln map STORY [-o FILE]\n"
    "       vln lsp [--stdio]\n"
    "play: runs the events (or those read from standard input, one per line) and prints the\n"
    "      caption after each; events: open, exit, down, up, space, enter, 1-5, kp1-kp5,\n"
    "      key:N, shift+/ctrl+/alt+ before a key, file:PATH, cancel\n"
    "check: reports FILE:LINE: error/warning lines; exit 1 on errors, 2 if a file cannot be read\n"
    "map: draws the story's passages and the ways between them as FILE (.svg, the default next\n"
    "     to STORY, .png, .pdf or .dot; -o - writes DOT to standard output)\n"
    "lsp: the language server for story editors, on standard input and output\n";

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> words = StartConsoleProgram(argc, argv);
  if (words.empty()) {
    std::cerr << Usage;
    return 2;
  }
  const std::string& command = words.front();
  const std::vector<std::string> rest(words.begin() + 1, words.end());
  StoryFileInput input;
  if (command == "play") return RunPlay(rest, std::cin, std::cout, std::cerr, input);
  if (command == "check") return RunCheck(rest, std::cout, std::cerr, input);
  if (command == "map") return RunMap(rest, std::cout, std::cerr, input);
  if (command == "lsp") return RunLsp(rest, std::cerr);
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << Usage;
    return 0;
  }
  std::cerr << "vln: unknown command \"" << command << "\"\n" << Usage;
  return 2;
}
