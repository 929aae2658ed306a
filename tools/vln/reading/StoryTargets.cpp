#include "tools/vln/reading/StoryTargets.h"

#include <algorithm>

#include "tools/vln/reading/LineMarkup.h"
#include "tools/vln/reading/StoryProbe.h"

TargetLanding LandingOfTarget(const LineStartIndex& starts, const StoryLines& lines,
                              std::u16string_view target) {
  TargetLanding landing;
  landing.Break = starts.FirstBreak(target);
  if (landing.Found()) {
    const size_t line = lines.LineIndexAt(landing.Break + 2);
    const bool follows = line < lines.Lines().size() && lines.Lines()[line].Start == landing.Break + 2;
    if (follows) landing.Line = line;
  }
  return landing;
}

std::vector<StoryTarget> ReadStoryTargets(const StoryLines& lines, const LineStartIndex& starts) {
  std::vector<StoryTarget> targets;
  const auto add = [&](TargetKind kind, size_t line, std::u16string_view name, int flag, int key,
                       const char16_t* endOfLine, bool taken) {
    const StoryLines::Line& at = lines.Lines()[line];
    // An empty name cut from past the end of the line points nowhere; it
    // stands at the end of what the line says.
    const char16_t* place = name.data() != nullptr ? name.data() : endOfLine;
    StoryTarget target{kind, flag, key, line, at.Start + (place - at.Text.data()), name, {}, taken};
    target.Landing = LandingOfTarget(starts, lines, name);
    targets.push_back(target);
  };
  for (size_t i = 0; i < lines.Lines().size(); ++i) {
    const LineMarkup markup = ReadLineMarkup(lines.Lines()[i].Text);
    // The line interpreter splits the choice off first, and a choice stays
    // pending even when END stops the story; the jump stands before it.
    const bool choicePending = markup.ChoicePending();
    if (markup.HasJump()) {
      const bool taken = markup.JumpTaken() && !choicePending;
      const char16_t* end = markup.Rest.data() + markup.Rest.size();
      if (markup.Flag < 0) {
        add(TargetKind::Jump, i, markup.PlainTarget, -1, 0, end, taken);
      } else {
        add(TargetKind::FlagOn, i, ListItemView(markup.Names, 0), markup.Flag, 0, end, taken);
        add(TargetKind::FlagOff, i, ListItemView(markup.Names, 1), markup.Flag, 0, end, taken);
      }
    }
    if (choicePending) {
      const char16_t* end = markup.Trimmed.data() + markup.Trimmed.size();
      for (int key = 0; key < ChoiceKeys; ++key) {
        const std::u16string_view item = ListItemView(markup.ChoiceList, key);
        if (!item.empty()) add(TargetKind::Choice, i, item, -1, key + 1, end, true);
      }
    }
  }
  return targets;
}

TargetIndex::TargetIndex(std::u16string_view text, const StoryLines& lines)
    : lines_(lines), starts_(text), targets_(ReadStoryTargets(lines, starts_)) {
  byLanding_.resize(targets_.size());
  for (size_t i = 0; i < targets_.size(); ++i) byLanding_[i] = static_cast<uint32_t>(i);
  std::stable_sort(byLanding_.begin(), byLanding_.end(), [&](uint32_t a, uint32_t b) {
    return targets_[a].Landing.Line < targets_[b].Landing.Line;
  });
}

const StoryTarget* TargetIndex::At(int64_t pos) const {
  // Targets are in the order of the text; the last one starting at or before
  // `pos` is the only one that can hold it.
  const auto after = std::upper_bound(targets_.begin(), targets_.end(), pos,
                                      [](int64_t p, const StoryTarget& t) { return p < t.Pos; });
  for (auto it = after; it != targets_.begin();) {
    --it;
    if (pos <= it->Pos + static_cast<int64_t>(it->Name.size())) return &*it;
    if (it->Line != lines_.LineIndexAt(pos)) break;
  }
  return nullptr;
}

std::vector<const StoryTarget*> TargetIndex::LandingOn(size_t line) const {
  const auto from = std::lower_bound(byLanding_.begin(), byLanding_.end(), line,
                                     [&](uint32_t t, size_t l) { return targets_[t].Landing.Line < l; });
  std::vector<const StoryTarget*> found;
  for (auto it = from; it != byLanding_.end() && targets_[*it].Landing.Line == line; ++it) {
    found.push_back(&targets_[*it]);
  }
  return found;
}

std::vector<const StoryTarget*> TargetIndex::OnLine(size_t line) const {
  std::vector<const StoryTarget*> found;
  if (line >= lines_.Lines().size()) return found;
  const int64_t start = lines_.Lines()[line].Start;
  auto it = std::lower_bound(targets_.begin(), targets_.end(), start,
                             [](const StoryTarget& t, int64_t p) { return t.Pos < p; });
  for (; it != targets_.end() && it->Line == line; ++it) found.push_back(&*it);
  return found;
}
