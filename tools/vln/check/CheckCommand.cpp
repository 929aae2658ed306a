#include "tools/vln/check/CheckCommand.h"

#include <ostream>

#include "tools/vln/check/CheckStory.h"
#include "tools/vln/reading/RunBeside.h"
#include "tools/vln/reading/StoryFileRead.h"

namespace {

enum class Outcome { Clean, HasErrors, Unreadable };

Outcome CheckOneStory(const std::string& path, std::ostream& out, std::ostream& err,
                      TextFileInput& input) {
  std::u16string text;
  if (!ReadStoryFile(path, input, text)) {
    // Nothing, or only the lines before a read error: what the reader would
    // get from this file is not the story.
    err << "vln check: " << path << ": cannot be read\n";
    return Outcome::Unreadable;
  }
  const StoryLines lines(text);
  bool errors = false;
  for (const CheckFinding& finding : CheckStory(text, lines)) {
    const bool error = finding.Level == CheckFinding::Severity::Error;
    errors = errors || error;
    out << path << ':' << lines.FileLineAt(finding.Pos) << (error ? ": error: " : ": warning: ")
        << finding.Message << '\n';
  }
  return errors ? Outcome::HasErrors : Outcome::Clean;
}

}  // namespace

int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             TextFileInput& input) {
  std::vector<std::string> paths;
  bool optionsDone = false;
  for (const std::string& arg : args) {
    if (!optionsDone && arg == "--") {
      optionsDone = true;
    } else if (!optionsDone && arg.starts_with("-")) {
      err << "vln check: unknown option \"" << arg << "\"\n";
      return 2;
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.empty()) {
    err << "vln check: no story given\nusage: vln check STORY...\n";
    return 2;
  }
  // While the story is read, so that it is there for a long one.
  ReadyTheThreadBeside();
  bool errors = false;
  bool unreadable = false;
  for (const std::string& path : paths) {
    switch (CheckOneStory(path, out, err, input)) {
      case Outcome::Clean: break;
      case Outcome::HasErrors: errors = true; break;
      case Outcome::Unreadable: unreadable = true; break;
    }
  }
  out.flush();
  if (unreadable) return 2;
  return errors ? 1 : 0;
}
