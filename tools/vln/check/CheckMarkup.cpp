#include "tools/vln/check/CheckMarkup.h"

#include <algorithm>

#include "story/StoryCommand.h"
#include "story/StoryStrings.h"
#include "story/mdlFunction.h"
#include "tools/vln/check/CheckText.h"
#include "tools/vln/reading/LineMarkup.h"
#include "tools/vln/reading/LineStartIndex.h"

namespace {

using Severity = CheckFinding::Severity;

// Keys 1 to 5 answer a choice; nothing reaches a sixth item.
constexpr int ChoiceKeys = 5;
constexpr const char* LandsOnFirstBreak =
    "it lands on the story's first line break and goes on from the second line";

// Whether the interpreter finds any keyword in the command.
bool HasKeyword(std::u16string_view command) {
  const CommandSwitches found = ReadCommand(command);
  const auto any = [](const auto& flags) { return std::find(flags.begin(), flags.end(), true) != flags.end(); };
  return found.Ends || any(found.On) || any(found.Off);
}

size_t CountCommas(std::u16string_view list) {
  return static_cast<size_t>(std::count(list.begin(), list.end(), u','));
}

// The text from the start of `from` to the end of `to`, two views into one
// line.
std::u16string_view Spanning(std::u16string_view from, std::u16string_view to) {
  return {from.data(), static_cast<size_t>(to.data() + to.size() - from.data())};
}

// Why a target that begins no line begins none, for the message, and the code
// that tells the kinds apart.
struct Miss {
  const char* Hint;
  const char* Kind;  // appended to "jump-target-" or "choice-target-"
};

class MarkupChecker {
 public:
  MarkupChecker(std::u16string_view text, const StoryLines& lines, const LineStartIndex& starts,
                CheckFindings& findings, std::vector<int64_t>& anchors)
      : text_(text), lines_(lines), findings_(findings), anchors_(anchors), starts_(starts) {}

  void CheckLine(const StoryLines::Line& line, uint8_t marks);

 private:
  void CheckChoice(std::u16string_view marker, std::u16string_view list);
  void CheckJump(const LineMarkup& markup);
  void CheckConditionalJump(const LineMarkup& markup);
  void CheckBranch(std::u16string_view target, bool flagOn, char letter,
                   std::u16string_view names);

  // The search a jump or a choice makes: a line break followed by the target.
  bool BeginsALine(std::u16string_view target) const { return starts_.Begins(target); }
  Miss MissOf(std::u16string_view target) const;
  void CheckLanding(std::u16string_view target, const std::string& what, bool choice);
  // The place of `part`, a view into the story text, as a finding's range.
  int64_t Where(std::u16string_view part) const { return PositionIn(text_, part, 1); }
  void Add(Severity level, std::string code, std::u16string_view part, std::string message,
           std::vector<CheckFinding::Place> related = {}) {
    findings_.push_back({Where(part), level, std::move(message),
                         static_cast<int64_t>(part.size()), std::move(code), std::move(related)});
    anchors_.push_back(anchor_ > 0 ? anchor_ : findings_.back().Pos);
  }
  CheckFinding::Place LinePlace(int64_t start, std::string message) const {
    const StoryLines::Line& line = lines_.Lines()[lines_.LineIndexAt(start)];
    return {line.Start, static_cast<int64_t>(line.Text.size()), std::move(message)};
  }

  std::u16string_view text_;
  const StoryLines& lines_;
  CheckFindings& findings_;
  std::vector<int64_t>& anchors_;
  // Where the findings being added are ordered (see CheckMarkup); 0: at
  // their own place.
  int64_t anchor_ = 0;
  const LineStartIndex& starts_;
};

// A target found is not always the line meant: the search takes the first
// line that begins with it.
void MarkupChecker::CheckLanding(std::u16string_view target, const std::string& what, bool choice) {
  const bool bracketed = target.front() == u'[';
  // A line that is just the target, for targets meant to name a line exactly.
  const int64_t exact = bracketed ? 0 : starts_.FirstWholeLine(target);
  const bool cutLabel = choice && bracketed && target.back() != u']';
  if (exact == 0 && !cutLabel) return;
  const int64_t landing = starts_.FirstBreak(target) + 2;
  const StoryLines::Line& first = lines_.Lines()[lines_.LineIndexAt(landing)];
  const std::string firstLine = std::to_string(lines_.FileLineAt(first.Start));
  if (exact != 0 && exact + 2 != first.Start) {
    const std::string meantLine = std::to_string(lines_.FileLineAt(exact + 2));
    Add(Severity::Warning, "target-begins-longer-line", target,
        what + Quoted(target) + " first begins line " + firstLine + ", " + Quoted(first.Text) +
            ", not line " + meantLine + " that is just " + Quoted(target),
        {LinePlace(first.Start, "the reader lands here"),
         LinePlace(exact + 2, "the line that is just " + Quoted(target))});
  }
  // A choice lands just after its target: the rest of a label cut short shows.
  if (cutLabel) {
    const int64_t close = StoryFind(1, first.Text, u"]");
    if (close > static_cast<int64_t>(target.size())) {
      const std::u16string_view label = StoryLeft(first.Text, close);
      Add(Severity::Warning, "choice-target-cut-label", target,
          what + Quoted(target) + " is only the start of the label " + Quoted(label) +
              " on line " + firstLine + ": the rest of the label shows",
          {{first.Start, close, "the label " + Quoted(label)}});
    }
  }
}

Miss MarkupChecker::MissOf(std::u16string_view target) const {
  if (!target.empty() && (target.front() == u' ' || target.front() == u'\u3000')) {
    return {" (the space in front belongs to the name)", "leading-space"};
  }
  if (text_.starts_with(target)) return {" (the first line can never be a target)", "first-line"};
  return {"", "missing"};
}

// Every mistake on one line, in the order the line interpreter meets them.
void MarkupChecker::CheckLine(const StoryLines::Line& line, uint8_t marks) {
  const std::u16string_view raw = line.Text;
  anchor_ = line.Start;
  if (raw.size() > LongestPortableLine) {
    Add(Severity::Warning, "line-too-long", raw,
        "line is " + std::to_string(raw.size()) +
            " characters long: readers that allow 32,766 may fail on it");
  }
  if (const size_t feed = (marks & StoryLines::LoneLineFeed) != 0 ? raw.find(u'\n') : raw.npos;
      feed != std::u16string_view::npos) {
    anchor_ = 0;
    Add(Severity::Warning, "lone-line-feed", raw.substr(feed, 1),
        "line ends in a lone LF, which the reader does not take as a line break: it reads "
        "this line and the next as one");
  }

  anchor_ = line.Start;
  if (const size_t bad = (marks & StoryLines::Replacement) != 0 ? raw.find(u'\uFFFD') : raw.npos;
      bad != std::u16string_view::npos) {
    Add(Severity::Warning, "undecodable-bytes", raw.substr(bad, 1),
        "line " + Quoted(raw) + " holds bytes that could not be decoded; they show as U+FFFD");
  }

  const LineMarkup markup = ReadLineMarkup(raw);
  if (markup.UnclosedLabel) {
    Add(Severity::Warning, "unclosed-label", markup.Trimmed.substr(0, 1),
        "\"[\" begins the line " + Quoted(markup.Trimmed) +
            " but no \"]\" ends the label: the whole line is shown");
  }

  if (markup.HasChoice) {
    anchor_ = Where(markup.ChoiceMarker);
    CheckChoice(markup.ChoiceMarker, markup.ChoiceList);
  }

  if (markup.HasCommand) {
    anchor_ = Where(markup.CommandMarker);
    const std::u16string_view part = markup.Command;
    if (const int64_t jump = StoryFind(1, part, u">>"); jump > 0) {
      Add(Severity::Warning, "jump-in-command", StoryMid(part, jump),
          "jump " + Quoted(StoryMid(part, jump)) +
              " after \"::\" is part of the command and is never taken");
    }
    if (!HasKeyword(part)) {
      Add(Severity::Warning, "command-without-keyword",
          part.empty() ? markup.CommandMarker.substr(0, 2) : part,
          "command " + Quoted(part) +
              " has no known keyword (AON-EON, AOFF-EOFF, END) and does nothing");
    }
    if (markup.Ends) {
      if (markup.HasJump()) {
        anchor_ = Where(markup.JumpMarker());
        Add(Severity::Warning, "jump-after-end", markup.JumpMarker(),
            "jump " + Quoted(markup.JumpMarker()) +
                " is never taken: \"END\" in the command stops the story first");
      }
      return;
    }
  }

  CheckJump(markup);
}

void MarkupChecker::CheckChoice(std::u16string_view marker, std::u16string_view list) {
  const std::u16string_view question = marker.substr(0, 2);
  if (list.empty()) {
    Add(Severity::Warning, "empty-choice-list", question,
        "\"??\" is followed by no choice list: no choice is offered");
    return;
  }
  for (const std::u16string_view inside : {u"::", u">>"}) {
    if (const int64_t at = StoryFind(1, list, inside); at > 0) {
      const bool command = inside == u"::";
      Add(Severity::Warning, command ? "command-in-choice-list" : "jump-in-choice-list",
          list.substr(static_cast<size_t>(at - 1), 2),
          "\"" + std::string(command ? "::" : ">>") + "\" after \"??\" is part of the choice list " +
              Quoted(list) + ", not a " + (command ? "command" : "jump"));
    }
  }
  const size_t count = CountCommas(list) + 1;
  const int keyed = static_cast<int>(std::min<size_t>(count, ChoiceKeys));
  int answerable = 0;
  const auto items = FirstListItems<ChoiceKeys>(list);
  for (int i = 0; i < keyed; ++i) {
    if (!items[static_cast<size_t>(i)].empty()) ++answerable;
  }
  if (answerable == 0) {
    Add(Severity::Error, "choice-unanswerable", Spanning(question, list),
        "no key can answer the choice " + Quoted(list) +
            ": its first five items are empty, so the reader is stuck until it is restarted");
  }
  for (int i = 0; i < keyed && answerable > 0; ++i) {
    // The item as the key handler picks it, where it stands in the line.
    const std::u16string_view item = items[static_cast<size_t>(i)];
    const std::u16string_view place = item;
    const std::string key = std::to_string(i + 1);
    if (item.empty()) {
      Add(Severity::Warning, "choice-item-empty", place,
          "choice item " + key + " of " + Quoted(list) + " is empty: key " + key +
              " does nothing");
    } else if (!BeginsALine(item)) {
      const Miss miss = MissOf(item);
      Add(Severity::Error, std::string("choice-target-") + miss.Kind, place,
          "choice target " + Quoted(item) + " does not begin any line" + miss.Hint + ": key " +
              key + " lands in the wrong place");
    } else {
      CheckLanding(place, "choice target ", true);
    }
  }
  if (count > ChoiceKeys) {
    const std::u16string_view sixth = ListItemView(list, ChoiceKeys);
    Add(Severity::Warning, "choice-item-beyond-five", Spanning(sixth, list),
        "choice item 6 " + Quoted(GetListItem(list, ChoiceKeys)) +
            (count > ChoiceKeys + 1 ? " and those after it" : "") +
            " cannot be chosen: keys 1 to 5 reach only the first five items");
  }
}

void MarkupChecker::CheckJump(const LineMarkup& markup) {
  if (!markup.HasJump()) return;
  anchor_ = Where(markup.JumpMarker());
  if (markup.Flag >= 0) {
    CheckConditionalJump(markup);
    return;
  }
  const std::u16string_view target = markup.PlainTarget;
  if (target.empty()) {
    Add(Severity::Error, "jump-without-target", markup.JumpMarker().substr(0, 2),
        std::string("jump \">>\" names no target: ") + LandsOnFirstBreak);
  } else if (!BeginsALine(target)) {
    const Miss miss = MissOf(target);
    Add(Severity::Error, std::string("jump-target-") + miss.Kind, target,
        "jump target " + Quoted(target) + " does not begin any line" + miss.Hint +
            ": the story stops here");
  } else {
    CheckLanding(target, "jump target ", false);
  }
}

void MarkupChecker::CheckConditionalJump(const LineMarkup& markup) {
  const char letter = static_cast<char>('A' + markup.Flag);
  const std::string flagName = std::string("flag ") + letter;
  const std::u16string_view names = markup.Names;
  const std::u16string_view marker = markup.Rest.substr(static_cast<size_t>(markup.MarkerAt - 1), 3);
  const size_t commas = CountCommas(names);
  if (markup.MarkerAt != markup.JumpAt) {
    const std::u16string_view first = markup.JumpMarker().substr(0, 2);
    Add(Severity::Warning, "conditional-marker-not-first", marker,
        "\">>" + std::string(1, letter) + "\" is not the line's first \">>\": its names " +
            "are read from just after the first one, " + Quoted(names),
        {{Where(first), 2, "the first \">>\", which the names follow"}});
  } else if (ReadAsConditionalByMistake(markup, starts_)) {
    Add(Severity::Error, "plain-jump-read-as-conditional", markup.PlainTarget,
        "jump target " + Quoted(markup.PlainTarget) + " begins with \"" + letter +
            "\", so it is read as a conditional jump on " + flagName + " with the names " +
            Quoted(names) + "; bracket the label or begin it with another letter");
    return;
  }
  // Names are never empty here: with none, the jump is read as a plain one
  // by mistake, and a marker after the first ">>" leaves its letter in them.
  CheckBranch(ListItemView(names, 0), true, letter, names);
  CheckBranch(ListItemView(names, 1), false, letter, names);
  if (commas >= 2) {
    const size_t third = names.find(u',', names.find(u',') + 1);
    Add(Severity::Warning, "conditional-jump-extra-names", names.substr(third + 1),
        "conditional jump on " + flagName + " takes two names; " +
            Quoted(names.substr(third + 1)) + " after the second is ignored");
  }
}

void MarkupChecker::CheckBranch(std::u16string_view target, bool flagOn, char letter,
                                std::u16string_view names) {
  const std::string branch = std::string("flag ") + letter + (flagOn ? " on" : " off");
  if (target.empty()) {
    const bool oneName = !flagOn && CountCommas(names) == 0;
    Add(Severity::Error, oneName ? "conditional-jump-one-name" : "conditional-jump-empty-name",
        oneName ? names : target,
        "conditional jump " + Quoted(names) +
            (oneName ? " has only one name: with " + branch : " has no name for " + branch) +
            ", " + LandsOnFirstBreak);
  } else if (!BeginsALine(target)) {
    const Miss miss = MissOf(target);
    Add(Severity::Error, std::string("jump-target-") + miss.Kind, target,
        "jump target " + Quoted(target) + " (" + branch + ") does not begin any line" +
            miss.Hint + ": the story stops here");
  } else {
    CheckLanding(target, "jump target ", false);
  }
}

}  // namespace

CheckFindings CheckMarkup(std::u16string_view text, const StoryLines& lines,
                          const LineStartIndex& starts, std::vector<int64_t>& anchors) {
  CheckFindings findings;
  MarkupChecker checker(text, lines, starts, findings, anchors);
  // Every check looks for one of the marked units, or at the length; most
  // lines of a story are plain text that can hold no mistake.
  for (size_t i = 0; i < lines.Lines().size(); ++i) {
    const StoryLines::Line& line = lines.Lines()[i];
    const uint8_t marks = lines.Marks(i);
    if (marks != 0 || line.Text.size() > LongestPortableLine) checker.CheckLine(line, marks);
  }
  return findings;
}
