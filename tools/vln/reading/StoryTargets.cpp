#include "tools/vln/reading/StoryTargets.h"

#include "tools/vln/reading/LineMarkup.h"

TargetLanding LandingOfTarget(const LineStartIndex& starts, const StoryLines& lines,
                              std::u16string_view target) {
  TargetLanding landing;
  landing.Break = starts.FirstBreak(target);
  if (landing.Found()) {
    const size_t line = lines.LineIndexAt(landing.Break + 2);
    const bool follows = line < lines.Lines().size() && lines.Lines()[line].Start == landing.Break + 2;
    landing.Line = follows ? line : lines.Lines().size();
  }
  return landing;
}

std::vector<StoryTarget> ReadStoryTargets(const StoryLines& lines, const LineStartIndex& starts) {
  std::vector<StoryTarget> targets;
  const auto add = [&](TargetKind kind, size_t line, std::u16string_view name, int flag, int key,
                       const char16_t* endOfLine) {
    const StoryLines::Line& at = lines.Lines()[line];
    // An empty name cut from past the end of the line points nowhere; it
    // stands at the end of what the line says.
    const char16_t* place = name.data() != nullptr ? name.data() : endOfLine;
    StoryTarget target{kind, flag, key, line, at.Start + (place - at.Text.data()), name, {}};
    target.Landing = LandingOfTarget(starts, lines, name);
    targets.push_back(target);
  };
  for (size_t i = 0; i < lines.Lines().size(); ++i) {
    const LineMarkup markup = ReadLineMarkup(lines.Lines()[i].Text);
    const char16_t* end = markup.Trimmed.data() + markup.Trimmed.size();
    // The line interpreter splits the choice off first, and a choice stays
    // pending even when END stops the story.
    if (markup.HasChoice) {
      for (int key = 0; key < 5; ++key) {
        const std::u16string_view item = ListItemView(markup.ChoiceList, key);
        if (!item.empty()) add(TargetKind::Choice, i, item, -1, key + 1, end);
      }
    }
    if (!markup.JumpTaken()) continue;
    if (markup.Flag < 0) {
      add(TargetKind::Jump, i, markup.PlainTarget, -1, 0, markup.Rest.data() + markup.Rest.size());
    } else {
      const char16_t* names = markup.Rest.data() + markup.Rest.size();
      add(TargetKind::FlagOn, i, ListItemView(markup.Names, 0), markup.Flag, 0, names);
      add(TargetKind::FlagOff, i, ListItemView(markup.Names, 1), markup.Flag, 0, names);
    }
  }
  return targets;
}
