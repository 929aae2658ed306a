#include "tools/vln/reading/LineMarkup.h"

#include <algorithm>

#include "story/StoryCommand.h"
#include "story/StoryJump.h"
#include "story/StoryStrings.h"
#include "tools/vln/reading/LineStartIndex.h"

LineMarkup ReadLineMarkup(std::u16string_view line) {
  LineMarkup m;
  std::u16string_view text = StoryTrim(line);
  m.Trimmed = text;
  if (!text.empty() && text.front() == u'[') {
    const int64_t close = StoryFind(1, text, u"]");
    if (close == 0) {
      m.UnclosedLabel = true;
    } else {
      m.Label = StoryLeft(text, close);
      text = StoryTrim(StoryMid(text, close + 1));
    }
  }
  // Most lines hold no markup after their label: nothing more to split.
  if (WithoutMarkers(text)) {
    m.Rest = m.Shown = text;
    return m;
  }
  if (const int64_t choice = StoryFind(1, text, u"??"); choice > 0) {
    m.HasChoice = true;
    m.ChoiceMarker = text.substr(static_cast<size_t>(choice - 1));
    m.ChoiceList = StoryTrim(StoryMid(text, choice + 2));
    text = StoryTrim(StoryLeft(text, choice - 1));
  }
  if (const int64_t command = StoryFind(1, text, u"::"); command > 0) {
    m.HasCommand = true;
    m.CommandMarker = text.substr(static_cast<size_t>(command - 1));
    m.Command = StoryTrim(StoryMid(text, command + 2));
    m.Ends = ReadCommand(m.Command).Ends;
    text = StoryTrim(StoryLeft(text, command - 1));
  }
  m.Rest = text;
  m.Shown = text;
  m.JumpAt = StoryFind(1, text, u">>");
  if (m.JumpAt == 0) return m;
  if (const JumpCondition condition = ReadJumpCondition(text, m.JumpAt); condition.Flag < FlagCount) {
    m.Flag = condition.Flag;
    m.MarkerAt = condition.MarkerAt;
  }
  // The names are read from just after the first ">>", wherever the marker
  // that decided stands.
  m.Names = StoryTrim(StoryMid(text, m.JumpAt + 3));
  m.PlainTarget = StoryTrim(StoryMid(text, m.JumpAt + 2));
  if (!m.Ends) m.Shown = StoryTrim(StoryLeft(text, m.JumpAt - 1));
  return m;
}

bool WithoutMarkers(std::u16string_view line) {
  for (const char16_t c : line) {
    if (c == u'?' || c == u':' || c == u'>') return false;
  }
  return true;
}

bool ReadAsConditionalByMistake(const LineMarkup& m, const LineStartIndex& starts) {
  if (m.Flag < 0 || m.MarkerAt != m.JumpAt) return false;
  const bool oneName = std::count(m.Names.begin(), m.Names.end(), u',') == 0;
  return starts.Begins(m.PlainTarget) ||
         (oneName && (m.Names.empty() || m.Names.front() != u'['));
}

std::u16string_view ListItemView(std::u16string_view list, int index) {
  size_t start = 0;
  for (int i = 0; i < index; ++i) NextListItem(list, start);
  return NextListItem(list, start);
}
