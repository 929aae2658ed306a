#include "tools/vln/lsp/TargetIndex.h"

#include <algorithm>

#include "tools/vln/reading/LineMarkup.h"
#include "tools/vln/reading/StoryProbe.h"

std::u16string_view ListItemSpan(std::u16string_view list, int index) {
  size_t start = 0;
  for (int i = 0; i < index; ++i) {
    const size_t comma = list.find(u',', start);
    if (comma == std::u16string_view::npos) return list.substr(list.size());
    start = comma + 1;
  }
  const size_t comma = list.find(u',', start);
  return list.substr(start, comma == std::u16string_view::npos ? std::u16string_view::npos : comma - start);
}

TargetIndex::TargetIndex(std::u16string_view text, const StoryLines& lines)
    : text_(text), lines_(lines), landings_(lines) {
  for (size_t i = 0; i < lines.Lines().size(); ++i) ReadLine(i, lines.Lines()[i].Text);
  byLanding_.resize(targets_.size());
  for (size_t i = 0; i < targets_.size(); ++i) byLanding_[i] = static_cast<uint32_t>(i);
  std::stable_sort(byLanding_.begin(), byLanding_.end(), [&](uint32_t a, uint32_t b) {
    return targets_[a].Landing < targets_[b].Landing;
  });
}

void TargetIndex::Add(NamedTarget target, std::u16string_view name, int64_t fallback) {
  target.Name = name;
  // An empty name may point nowhere; it stands where the marker ends.
  const bool inside = name.data() != nullptr && name.data() >= text_.data() &&
                      name.data() <= text_.data() + text_.size();
  target.Pos = inside ? static_cast<int64_t>(name.data() - text_.data()) + 1 : fallback;
  target.Landing = landings_.FirstLineBeginning(name);
  targets_.push_back(target);
}

void TargetIndex::ReadLine(size_t index, std::u16string_view line) {
  const LineMarkup markup = ReadLineMarkup(line);
  const bool choicePending = markup.HasChoice && !markup.ChoiceList.empty();
  NamedTarget target;
  target.Line = index;
  if (markup.HasJump()) {
    target.Taken = markup.JumpTaken() && !choicePending;
    const std::u16string_view marker = markup.JumpMarker();
    const int64_t markerAt = static_cast<int64_t>(marker.data() - text_.data()) + 1;
    if (markup.Flag < 0) {
      Add(target, markup.PlainTarget, markerAt + 2);
    } else {
      target.Flag = markup.Flag;
      const int64_t namesAt = std::min<int64_t>(markerAt + 3, markerAt + static_cast<int64_t>(marker.size()));
      target.TargetKind = NamedTarget::Kind::FlagOn;
      const std::u16string_view first = ListItemSpan(markup.Names, 0);
      Add(target, first, namesAt);
      target.TargetKind = NamedTarget::Kind::FlagOff;
      Add(target, ListItemSpan(markup.Names, 1), targets_.back().Pos + static_cast<int64_t>(first.size()));
    }
  }
  if (choicePending) {
    target = NamedTarget{};
    target.Line = index;
    target.TargetKind = NamedTarget::Kind::Choice;
    for (int key = 1; key <= ChoiceKeys; ++key) {
      const std::u16string_view item = ListItemSpan(markup.ChoiceList, key - 1);
      // An empty item is no target: its key does nothing.
      if (item.empty()) continue;
      target.Key = key;
      Add(target, item, 0);
    }
  }
}

const NamedTarget* TargetIndex::At(int64_t pos) const {
  // Targets are in the order of the text; the last one starting at or before
  // `pos` is the only one that can hold it.
  const auto after = std::upper_bound(targets_.begin(), targets_.end(), pos,
                                      [](int64_t p, const NamedTarget& t) { return p < t.Pos; });
  for (auto it = after; it != targets_.begin();) {
    --it;
    if (pos <= it->Pos + static_cast<int64_t>(it->Name.size())) return &*it;
    if (it->Line != lines_.LineIndexAt(pos)) break;
  }
  return nullptr;
}

std::vector<const NamedTarget*> TargetIndex::LandingOn(size_t line) const {
  const auto from = std::lower_bound(byLanding_.begin(), byLanding_.end(), line,
                                     [&](uint32_t t, size_t l) { return targets_[t].Landing < l; });
  std::vector<const NamedTarget*> found;
  for (auto it = from; it != byLanding_.end() && targets_[*it].Landing == line; ++it) {
    found.push_back(&targets_[*it]);
  }
  return found;
}

std::vector<const NamedTarget*> TargetIndex::OnLine(size_t line) const {
  std::vector<const NamedTarget*> found;
  if (line >= lines_.Lines().size()) return found;
  const int64_t start = lines_.Lines()[line].Start;
  auto it = std::lower_bound(targets_.begin(), targets_.end(), start,
                             [](const NamedTarget& t, int64_t p) { return t.Pos < p; });
  for (; it != targets_.end() && it->Line == line; ++it) found.push_back(&*it);
  return found;
}
