#include "tools/vln/check/CheckMarkup.h"

#include <algorithm>
#include <array>

#include "story/StoryStrings.h"
#include "story/mdlFunction.h"
#include "tools/vln/check/CheckText.h"
#include "tools/vln/reading/LineMarkup.h"
#include "tools/vln/reading/LineStartIndex.h"

namespace {

// Other readers keep positions within a line in 16 bits.
constexpr size_t LongestPortableLine = 32766;
// Keys 1 to 5 answer a choice; nothing reaches a sixth item.
constexpr int ChoiceKeys = 5;
constexpr std::array<std::u16string_view, 11> Keywords{
    u"AON", u"BON", u"CON", u"DON", u"EON", u"AOFF", u"BOFF", u"COFF", u"DOFF", u"EOFF", u"END"};
constexpr const char* LandsOnFirstBreak =
    "it lands on the story's first line break and goes on from the second line";

bool Contains(std::u16string_view text, std::u16string_view what) {
  return StoryFind(1, text, what) > 0;
}

size_t CountCommas(std::u16string_view list) {
  return static_cast<size_t>(std::count(list.begin(), list.end(), u','));
}

class MarkupChecker {
 public:
  MarkupChecker(std::u16string_view text, const StoryLines& lines, const LineStartIndex& starts,
                CheckFindings& findings)
      : text_(text), lines_(lines), findings_(findings), starts_(starts) {}

  void CheckLine(const StoryLines::Line& line);

 private:
  void CheckChoice(std::u16string_view list, int64_t pos);
  void CheckJump(const LineMarkup& markup, int64_t lineStart);
  void CheckConditionalJump(const LineMarkup& markup, int64_t pos);
  void CheckBranch(std::u16string_view target, bool flagOn, char letter,
                   std::u16string_view names, int64_t pos);

  // The search a jump or a choice makes: a line break followed by the target.
  bool BeginsALine(std::u16string_view target) const { return starts_.Begins(target); }
  std::string MissHint(std::u16string_view target) const;
  void CheckLanding(std::u16string_view target, const std::string& what, int64_t pos,
                    bool choice);
  int64_t Where(std::u16string_view part, int64_t fallback) const {
    return PositionIn(text_, part, fallback);
  }
  void Error(int64_t pos, std::string message) {
    findings_.push_back({pos, CheckFinding::Severity::Error, std::move(message)});
  }
  void Warning(int64_t pos, std::string message) {
    findings_.push_back({pos, CheckFinding::Severity::Warning, std::move(message)});
  }

  std::u16string_view text_;
  const StoryLines& lines_;
  CheckFindings& findings_;
  const LineStartIndex& starts_;
};

// A target found is not always the line meant: the search takes the first
// line that begins with it.
void MarkupChecker::CheckLanding(std::u16string_view target, const std::string& what, int64_t pos,
                                 bool choice) {
  const bool bracketed = target.front() == u'[';
  // A line that is just the target, for targets meant to name a line exactly.
  const int64_t exact = bracketed ? 0 : starts_.FirstWholeLine(target);
  const bool cutLabel = choice && bracketed && target.back() != u']';
  if (exact == 0 && !cutLabel) return;
  const int64_t landing = starts_.FirstBreak(target) + 2;
  const StoryLines::Line& first = lines_.Lines()[lines_.LineIndexAt(landing)];
  const std::string firstLine = std::to_string(lines_.FileLineAt(first.Start));
  if (exact != 0 && exact + 2 != first.Start) {
    Warning(pos, what + Quoted(target) + " first begins line " + firstLine + ", " +
                     Quoted(first.Text) + ", not line " +
                     std::to_string(lines_.FileLineAt(exact + 2)) + " that is just " +
                     Quoted(target));
  }
  // A choice lands just after its target: the rest of a label cut short shows.
  if (cutLabel) {
    const int64_t close = StoryFind(1, first.Text, u"]");
    if (close > static_cast<int64_t>(target.size())) {
      Warning(pos, what + Quoted(target) + " is only the start of the label " +
                       Quoted(StoryLeft(first.Text, close)) + " on line " + firstLine +
                       ": the rest of the label shows");
    }
  }
}

std::string MarkupChecker::MissHint(std::u16string_view target) const {
  if (!target.empty() && (target.front() == u' ' || target.front() == u'\u3000')) {
    return " (the space in front belongs to the name)";
  }
  if (text_.starts_with(target)) return " (the first line can never be a target)";
  return "";
}

// Every mistake on one line, in the order the line interpreter meets them.
void MarkupChecker::CheckLine(const StoryLines::Line& line) {
  const std::u16string_view raw = line.Text;
  if (raw.size() > LongestPortableLine) {
    Warning(line.Start, "line is " + std::to_string(raw.size()) +
                            " characters long: readers that allow 32,766 may fail on it");
  }
  if (const size_t feed = raw.find(u'\n'); feed != std::u16string_view::npos) {
    Warning(line.Start + static_cast<int64_t>(feed),
            "line ends in a lone LF, which the reader does not take as a line break: it reads "
            "this line and the next as one");
  }

  if (const size_t bad = raw.find(u'\uFFFD'); bad != std::u16string_view::npos) {
    Warning(line.Start, "line " + Quoted(raw) +
                            " holds bytes that could not be decoded; they show as U+FFFD");
  }

  const LineMarkup markup = ReadLineMarkup(raw);
  if (markup.UnclosedLabel) {
    Warning(line.Start, "\"[\" begins the line " + Quoted(markup.Trimmed) +
                            " but no \"]\" ends the label: the whole line is shown");
  }

  if (markup.HasChoice) CheckChoice(markup.ChoiceList, Where(markup.ChoiceMarker, line.Start));

  if (markup.HasCommand) {
    const int64_t pos = Where(markup.CommandMarker, line.Start);
    const std::u16string_view part = markup.Command;
    const std::u16string upper = StoryUpperCase(part);
    if (const int64_t jump = StoryFind(1, part, u">>"); jump > 0) {
      Warning(pos, "jump " + Quoted(StoryMid(part, jump)) +
                       " after \"::\" is part of the command and is never taken");
    }
    if (std::none_of(Keywords.begin(), Keywords.end(),
                     [&](std::u16string_view k) { return Contains(upper, k); })) {
      Warning(pos, "command " + Quoted(part) +
                       " has no known keyword (AON-EON, AOFF-EOFF, END) and does nothing");
    }
    if (markup.Ends) {
      if (markup.HasJump()) {
        Warning(Where(markup.JumpMarker(), pos),
                "jump " + Quoted(markup.JumpMarker()) +
                    " is never taken: \"END\" in the command stops the story first");
      }
      return;
    }
  }

  CheckJump(markup, line.Start);
}

void MarkupChecker::CheckChoice(std::u16string_view list, int64_t pos) {
  if (list.empty()) {
    Warning(pos, "\"??\" is followed by no choice list: no choice is offered");
    return;
  }
  for (const std::u16string_view marker : {u"::", u">>"}) {
    if (Contains(list, marker)) {
      Warning(pos, "\"" + std::string(marker == u"::" ? "::" : ">>") + "\" after \"??\" is part of the choice list " +
                       Quoted(list) + ", not a " + (marker == u"::" ? "command" : "jump"));
    }
  }
  const size_t count = CountCommas(list) + 1;
  const int keyed = static_cast<int>(std::min<size_t>(count, ChoiceKeys));
  int answerable = 0;
  for (int i = 0; i < keyed; ++i) {
    if (!GetListItem(list, i).empty()) ++answerable;
  }
  if (answerable == 0) {
    Error(pos, "no key can answer the choice " + Quoted(list) +
                   ": its first five items are empty, so the reader is stuck until it is "
                   "restarted");
  }
  for (int i = 0; i < keyed && answerable > 0; ++i) {
    const std::u16string item = GetListItem(list, i);
    const std::string key = std::to_string(i + 1);
    if (item.empty()) {
      Warning(pos, "choice item " + key + " of " + Quoted(list) + " is empty: key " + key +
                       " does nothing");
    } else if (!BeginsALine(item)) {
      Error(pos, "choice target " + Quoted(item) + " does not begin any line" + MissHint(item) +
                     ": key " + key + " lands in the wrong place");
    } else {
      CheckLanding(item, "choice target ", pos, true);
    }
  }
  if (count > ChoiceKeys) {
    Warning(pos, "choice item 6 " + Quoted(GetListItem(list, ChoiceKeys)) +
                     (count > ChoiceKeys + 1 ? " and those after it" : "") +
                     " cannot be chosen: keys 1 to 5 reach only the first five items");
  }
}

void MarkupChecker::CheckJump(const LineMarkup& markup, int64_t lineStart) {
  if (!markup.HasJump()) return;
  const int64_t pos = Where(markup.JumpMarker(), lineStart);
  if (markup.Flag >= 0) {
    CheckConditionalJump(markup, pos);
    return;
  }
  const std::u16string_view target = markup.PlainTarget;
  if (target.empty()) {
    Error(pos, std::string("jump \">>\" names no target: ") + LandsOnFirstBreak);
  } else if (!BeginsALine(target)) {
    Error(pos, "jump target " + Quoted(target) + " does not begin any line" + MissHint(target) +
                   ": the story stops here");
  } else {
    CheckLanding(target, "jump target ", pos, false);
  }
}

void MarkupChecker::CheckConditionalJump(const LineMarkup& markup, int64_t pos) {
  const char letter = static_cast<char>('A' + markup.Flag);
  const std::string flagName = std::string("flag ") + letter;
  const std::u16string_view names = markup.Names;
  const size_t commas = CountCommas(names);
  if (markup.MarkerAt != markup.JumpAt) {
    Warning(pos, "\">>" + std::string(1, letter) + "\" is not the line's first \">>\": its names " +
                     "are read from just after the first one, " + Quoted(names));
  } else if (ReadAsConditionalByMistake(markup, starts_)) {
    Error(pos, "jump target " + Quoted(markup.PlainTarget) + " begins with \"" + letter +
                   "\", so it is read as a conditional jump on " + flagName + " with the names " +
                   Quoted(names) + "; bracket the label or begin it with another letter");
    return;
  }
  CheckBranch(GetListItem(names, 0), true, letter, names, pos);
  CheckBranch(GetListItem(names, 1), false, letter, names, pos);
  if (commas >= 2) {
    const size_t third = names.find(u',', names.find(u',') + 1);
    Warning(pos, "conditional jump on " + flagName + " takes two names; " +
                     Quoted(names.substr(third + 1)) + " after the second is ignored");
  }
}

void MarkupChecker::CheckBranch(std::u16string_view target, bool flagOn, char letter,
                                std::u16string_view names, int64_t pos) {
  const std::string branch = std::string("flag ") + letter + (flagOn ? " on" : " off");
  if (target.empty()) {
    const bool oneName = !flagOn && CountCommas(names) == 0;
    Error(pos, "conditional jump " + Quoted(names) +
                   (oneName ? " has only one name: with " + branch
                            : " has no name for " + branch) +
                   ", " + LandsOnFirstBreak);
  } else if (!BeginsALine(target)) {
    Error(pos, "jump target " + Quoted(target) + " (" + branch + ") does not begin any line" +
                   MissHint(target) + ": the story stops here");
  } else {
    CheckLanding(target, "jump target ", pos, false);
  }
}

}  // namespace

CheckFindings CheckMarkup(std::u16string_view text, const StoryLines& lines,
                          const LineStartIndex& starts) {
  CheckFindings findings;
  MarkupChecker checker(text, lines, starts, findings);
  for (const StoryLines::Line& line : lines.Lines()) checker.CheckLine(line);
  return findings;
}
