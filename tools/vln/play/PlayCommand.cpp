#include "tools/vln/play/PlayCommand.h"

#include <istream>
#include <optional>
#include <ostream>

#include "tools/vln/play/PlayEvent.h"
#include "tools/vln/play/PlayReport.h"
#include "tools/vln/play/PlaySession.h"

namespace {

constexpr const char* EventHelp =
    "events: open, exit, down, up, space, enter, 1-5, kp1-kp5, key:N (0-65535), "
    "shift+/ctrl+/alt+ before a key, file:PATH, cancel";

struct PlayArguments {
  bool Json = false;
  std::string Story;
  std::vector<std::string> Events;
};

std::optional<PlayArguments> ParseArguments(const std::vector<std::string>& args,
                                            std::ostream& err) {
  PlayArguments parsed;
  size_t i = 0;
  for (; i < args.size() && args[i].starts_with("-"); ++i) {
    if (args[i] == "--") {
      ++i;
      break;
    }
    if (args[i] != "--json") {
      err << "vln play: unknown option \"" << args[i] << "\"\n";
      return std::nullopt;
    }
    parsed.Json = true;
  }
  if (i == args.size()) {
    err << "vln play: no story given\nusage: vln play [--json] STORY [EVENT...]\n";
    return std::nullopt;
  }
  parsed.Story = args[i];
  parsed.Events.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
  return parsed;
}

void ReportBadEvent(std::ostream& err, const std::string& word, const std::string& where) {
  err << "vln play: unknown event \"" << word << "\"" << where << "\n" << EventHelp << "\n";
}

class Printer {
 public:
  Printer(std::ostream& out, bool json) : out_(out), json_(json) {}
  void Print(const PlayStep& step) {
    out_ << (json_ ? PlayJsonLine(step) : PlayTextLine(step)) << '\n';
    out_.flush();
  }

 private:
  std::ostream& out_;
  bool json_;
};

// Spaces around a typed event and Windows line ends are no part of it.
std::string_view TrimmedLine(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
    line.remove_suffix(1);
  }
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  return line;
}

// A typo while playing by hand should not throw away the reading so far: a
// bad line is reported and skipped, and the exit status still says so.
int PlayFromInput(PlaySession& session, Printer& printer, std::istream& in, std::ostream& err) {
  int status = 0;
  std::string line;
  for (long number = 1; !session.Ended() && std::getline(in, line); ++number) {
    const std::string_view word = TrimmedLine(line);
    if (word.empty()) continue;
    const std::optional<PlayEvent> event = ParsePlayEvent(word);
    if (!event) {
      ReportBadEvent(err, std::string(word), " on input line " + std::to_string(number));
      status = 2;
      continue;
    }
    printer.Print(session.Apply(*event));
  }
  return status;
}

}  // namespace

int RunPlay(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
            std::ostream& err, TextFileInput& input) {
  const std::optional<PlayArguments> parsed = ParseArguments(args, err);
  if (!parsed) return 2;

  // Every event is checked before the first runs, so a bad script prints
  // nothing that could be mistaken for a result.
  std::vector<PlayEvent> events;
  bool allGood = true;
  for (const std::string& word : parsed->Events) {
    if (std::optional<PlayEvent> event = ParsePlayEvent(word)) {
      events.push_back(std::move(*event));
    } else {
      ReportBadEvent(err, word, "");
      allGood = false;
    }
  }
  if (!allGood) return 2;

  PlaySession session(parsed->Story, input);
  Printer printer(out, parsed->Json);
  printer.Print(session.Start());
  if (parsed->Events.empty()) return PlayFromInput(session, printer, in, err);
  for (const PlayEvent& event : events) {
    if (session.Ended()) break;
    printer.Print(session.Apply(event));
  }
  return 0;
}
