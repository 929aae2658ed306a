#include "tools/vln/check/CheckLabels.h"

#include <string>

#include "story/StoryStrings.h"
#include "tools/vln/check/CheckText.h"

CheckFindings CheckLabels(const StoryLines& lines, const LineStartIndex& starts) {
  CheckFindings findings;
  const auto& repeated = starts.RepeatedLabels();
  auto next = repeated.begin();
  // The first line has no line break in front of it: no search ever finds its
  // label, so a second definition further down is the one that counts.
  for (size_t i = 1; i < lines.Lines().size(); ++i) {
    if ((lines.Marks(i) & StoryLines::Bracket) == 0) continue;
    const StoryLines::Line& line = lines.Lines()[i];
    const std::u16string_view trimmed = StoryTrim(line.Text);
    if (trimmed.empty() || trimmed.front() != u'[') continue;
    const int64_t close = StoryFind(1, trimmed, u"]");
    if (close == 0) continue;
    const std::u16string_view label = StoryLeft(trimmed, close);
    if (line.Text.front() != u'[') {
      findings.push_back({PositionIn(line.Text, label, 1) + line.Start - 1,
                          CheckFinding::Severity::Warning,
                          "label " + Quoted(label) +
                              " is indented: jumps and choices find a label only at the very "
                              "start of a line",
                          static_cast<int64_t>(label.size()), "label-indented", {}});
      continue;
    }
    // The index knows the lines whose label an earlier line begins, in the
    // order of the text.
    while (next != repeated.end() && next->first + 2 < line.Start) ++next;
    if (next != repeated.end() && next->first + 2 == line.Start) {
      const int64_t first = next->second + 2;
      findings.push_back({line.Start, CheckFinding::Severity::Warning,
                          "label " + Quoted(label) + " is defined again (first on line " +
                              std::to_string(lines.FileLineAt(first)) +
                              "): jumps and choices only ever reach the first",
                          static_cast<int64_t>(label.size()), "label-defined-again",
                          {{first, static_cast<int64_t>(label.size()),
                            "the first definition, which jumps and choices reach"}}});
    }
  }
  return findings;
}
