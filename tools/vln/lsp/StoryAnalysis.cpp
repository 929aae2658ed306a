#include "tools/vln/lsp/StoryAnalysis.h"

#include <algorithm>

#include "story/StoryStrings.h"
#include "tools/vln/check/CheckMarkup.h"
#include "tools/vln/check/CheckStory.h"
#include "tools/vln/reading/LineMarkup.h"
#include "tools/vln/reading/StoryTargets.h"
#include "tools/vln/map/StoryMap.h"
#include "tools/vln/reading/StoryReach.h"

StoryAnalysis::StoryAnalysis(std::u16string_view editorText) : story_(editorText) {}

StoryAnalysis::~StoryAnalysis() = default;

const CheckFindings& StoryAnalysis::Findings() {
  if (!findings_) findings_ = CheckStory(Text(), Lines());
  return *findings_;
}

const TargetIndex& StoryAnalysis::Targets() {
  if (!targets_) targets_ = std::make_unique<TargetIndex>(Text(), Lines());
  return *targets_;
}

const std::vector<bool>& StoryAnalysis::Reached() {
  if (!reached_) reached_ = ReachedLines(Text(), Lines());
  return *reached_;
}

const StoryMap& StoryAnalysis::Map() {
  if (!map_) map_ = std::make_unique<StoryMap>(BuildStoryMap(Text(), Lines()));
  return *map_;
}

const std::vector<std::u16string>& StoryAnalysis::LooseTargets() {
  if (looseTargets_) return *looseTargets_;
  looseTargets_.emplace();
  const auto add = [this](std::u16string_view list) {
    for (size_t start = 0; start <= list.size();) {
      const std::u16string_view name = NextListItem(list, start);
      if (!name.empty() && name.front() != u'[') looseTargets_->emplace_back(name);
    }
  };
  // More than the targets (every item of every list, every name of every
  // jump, taken or not): a line that begins with any of them is left to a
  // new analysis.
  for (size_t i = 0; i < Lines().Lines().size(); ++i) {
    if ((Lines().Marks(i) & (StoryLines::Question | StoryLines::Greater)) == 0) continue;
    const LineMarkup markup = ReadLineMarkup(Lines().Lines()[i].Text);
    if (markup.HasChoice) {
      add(markup.ChoiceList);
      for (size_t start = 0; start <= markup.ChoiceList.size();) {
        farthestMissLanding_ = std::max(farthestMissLanding_, NextListItem(markup.ChoiceList, start).size() + 2);
      }
    }
    if (markup.HasJump()) {
      add(markup.PlainTarget);
      add(markup.Names);
    }
  }
  return *looseTargets_;
}

bool StoryAnalysis::PlainText(std::u16string_view line) {
  if (line.size() > LongestPortableLine || StoryTrim(line).empty()) return false;
  for (const char16_t unit : line) {
    const bool markup = unit == u'?' || unit == u':' || unit == u'>' || unit == u'[';
    const bool odd = unit < u' ' || (unit >= 0xD800 && unit <= 0xDFFF) || unit == u'\uFFFD' || unit == u'\uFEFF';
    if (markup || odd) return false;
  }
  return std::none_of(LooseTargets().begin(), LooseTargets().end(),
                      [line](const std::u16string& target) { return line.starts_with(target); });
}

bool StoryAnalysis::TakeEditInPlainLine(size_t from, size_t removed, std::u16string_view inserted) {
  const std::optional<EditorStory::LineSpot> spot = story_.LineOfEdit(from, removed);
  // The first line is where the reading starts, and no target can land on it.
  if (!spot || spot->Line == 0 || Lines().Marks(spot->Line) != 0) return false;
  const StoryLines::Line& line = Lines().Lines()[spot->Line];
  std::u16string after(line.Text);
  after.replace(spot->Inside, removed, inserted);
  if (!PlainText(line.Text) || !PlainText(after)) return false;
  if (static_cast<size_t>(line.Start) <= farthestMissLanding_) return false;
  const auto inLine = [&line](int64_t pos) { return pos >= line.Start && pos <= line.End; };
  if (findings_) {
    for (const CheckFinding& finding : *findings_) {
      if (inLine(finding.Pos)) return false;
      for (const CheckFinding::Place& place : finding.Related) {
        if (inLine(place.Pos)) return false;
      }
    }
  }
  const int64_t at = line.Start + static_cast<int64_t>(spot->Inside);
  const int64_t end = line.End;
  const auto delta = static_cast<int64_t>(inserted.size()) - static_cast<int64_t>(removed);
  // A finding after the line moves with it; one over it (a run of lines
  // no reading reaches, which may end at the edit) grows or shrinks with it.
  const auto follow = [&](int64_t& pos, int64_t& length) {
    if (pos > end) {
      pos += delta;
    } else if (pos + length >= at) {
      length += delta;
    }
  };
  if (findings_) {
    for (CheckFinding& finding : *findings_) {
      follow(finding.Pos, finding.Length);
      for (CheckFinding::Place& place : finding.Related) follow(place.Pos, place.Length);
    }
  }
  story_.EditLine(*spot, removed, inserted);
  // Both hold places in the text, and the map the line's text too.
  targets_.reset();
  map_.reset();
  return true;
}
