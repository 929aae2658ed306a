#include "tools/vln/lsp/StoryHover.h"

#include <algorithm>
#include <vector>

#include "story/StoryCommand.h"
#include "tools/vln/reading/LineMarkup.h"
#include "tools/vln/reading/ReadableText.h"
#include "tools/vln/reading/StoryTargets.h"

namespace {

// Inline code that holds any text: a fence longer than any run of
// backticks in it.
std::string Code(std::u16string_view text) {
  const std::string shown = ReadableExcerpt(text, 80);
  size_t longest = 0;
  size_t run = 0;
  for (const char c : shown) {
    run = c == '`' ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  const std::string fence(longest + 1, '`');
  return fence + " " + shown + " " + fence;
}

std::string Where(StoryAnalysis& analysis, const StoryTarget& target) {
  if (!target.Landing.Lands()) {
    // A choice names its item before this; a jump's name is said only here.
    return target.Kind == TargetKind::Choice
               ? "begins no line: the key lands in the wrong place"
               : Code(target.Name) + ", which begins no line: the story stops";
  }
  const StoryLines::Line& line = analysis.Lines().Lines()[target.Landing.Line];
  return "line " + std::to_string(analysis.Lines().FileLineAt(line.Start)) + ", " +
         Code(ReadLineMarkup(line.Text).Trimmed);
}

// The flags the command switches, as the interpreter leaves them: every ON
// first, then every OFF, so naming both leaves a flag off.
std::string FlagChanges(std::u16string_view command) {
  const CommandSwitches found = ReadCommand(command);
  std::string changes;
  for (size_t flag = 0; flag < found.On.size(); ++flag) {
    if (!found.On[flag] && !found.Off[flag]) continue;
    if (!changes.empty()) changes += ", ";
    changes += std::string(1, static_cast<char>('A' + flag)) + (found.Off[flag] ? " off" : " on");
  }
  return changes;
}

}  // namespace

std::string HoverAt(StoryAnalysis& analysis, int64_t pos) {
  const StoryLines& lines = analysis.Lines();
  if (lines.Lines().empty()) return "";
  const size_t index = lines.LineIndexAt(pos);
  const StoryLines::Line& line = lines.Lines()[index];
  const LineMarkup markup = ReadLineMarkup(line.Text);
  std::vector<std::string> parts;
  parts.push_back(markup.Shown.empty() ? "Shows an empty caption." : "Shows " + Code(markup.Shown));
  for (const StoryTarget* target : analysis.Targets().OnLine(index)) {
    switch (target->Kind) {
      case TargetKind::Choice:
        parts.push_back("Key " + std::to_string(target->Key) + ", " + Code(target->Name) + ": " +
                        Where(analysis, *target));
        break;
      case TargetKind::Jump:
        if (target->Taken) parts.push_back("Jumps (after an empty step) to " + Where(analysis, *target));
        break;
      case TargetKind::FlagOn:
      case TargetKind::FlagOff:
        if (target->Taken) {
          parts.push_back(std::string("With flag ") + static_cast<char>('A' + target->Flag) +
                          (target->Kind == TargetKind::FlagOn ? " on" : " off") +
                          ", jumps (after an empty step) to " + Where(analysis, *target));
        }
        break;
    }
  }
  if (markup.HasCommand) {
    if (const std::string changes = FlagChanges(markup.Command); !changes.empty()) {
      parts.push_back("Switches " + changes + ".");
    }
    if (markup.Ends) parts.push_back("END: the story stops after this line.");
  }
  if (!analysis.Reached()[index]) parts.push_back("Never reached: no reading from the first line shows it.");
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += "\n\n";
    text += part;
  }
  return text;
}
