#include "tools/vln/lsp/StoryAnalysis.h"

#include <algorithm>
#include <cstdint>

#include "story/StoryStrings.h"
#include "tools/vln/check/CheckMarkup.h"
#include "tools/vln/check/CheckStory.h"
#include "tools/vln/lsp/StoryNavigation.h"
#include "tools/vln/reading/LineMarkup.h"
#include "tools/vln/reading/StoryTargets.h"
#include "tools/vln/map/StoryMap.h"
#include "tools/vln/reading/StoryReach.h"

namespace {

// A unit an edit of a line's shown text may take out or put in: nothing the
// interpreter or a check reads as markup, no space a trim could take off, and
// nothing a check warns of.
bool ShownUnit(char16_t unit) {
  const bool markup = unit == u'?' || unit == u':' || unit == u'>' || unit == u'[' || unit == u']' || unit == u',';
  const bool odd = unit <= u' ' || unit == u'\u3000' || (unit >= 0xD800 && unit <= 0xDFFF) || unit == u'\uFFFD' ||
                   unit == u'\uFEFF';
  return !markup && !odd;
}

bool AllShown(std::u16string_view units) { return std::all_of(units.begin(), units.end(), ShownUnit); }

// Whether replacing `removed` units at `inside` of `line` leaves its markup
// as it was: the edit lies between the label and the first "?", ":" or ">",
// with something shown right in front of it and right behind it, unless a
// marker or the line's end is there, so that no part of the line is split
// anew and neither how the line begins nor the spaces around what it shows
// change.
bool EditOfShownText(std::u16string_view line, size_t inside, size_t removed, std::u16string_view inserted) {
  const size_t label = LineLabel(line).size();
  const size_t marker = std::min(line.find_first_of(u"?:>"), line.size());
  const size_t behind = inside + removed;
  if (inside <= label || behind > marker || !ShownUnit(line[inside - 1])) return false;
  if (behind < marker && !ShownUnit(line[behind])) return false;
  return AllShown(line.substr(inside, removed)) && AllShown(inserted);
}

}  // namespace

StoryAnalysis::StoryAnalysis(std::u16string_view editorText, SavedLineFeed lineFeeds)
    : story_(editorText, lineFeeds) {}

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

const std::vector<LabelWays>& StoryAnalysis::WaysIntoLabels() {
  if (!ways_) ways_ = std::make_unique<std::vector<LabelWays>>(WaysIntoLabelLines(*this));
  return *ways_;
}

const std::vector<std::u16string>& StoryAnalysis::LandingNames() {
  if (landingNames_) return *landingNames_;
  landingNames_.emplace();
  const auto add = [this](std::u16string_view list) {
    for (size_t start = 0; start <= list.size();) {
      const std::u16string_view name = NextListItem(list, start);
      if (!name.empty()) landingNames_->emplace_back(name);
    }
  };
  const auto addMarkup = [this, &add](std::u16string_view text) {
    const LineMarkup markup = ReadLineMarkup(text);
    if (markup.HasChoice) add(markup.ChoiceList);
    if (markup.HasJump()) {
      // A plain target is one name, commas and all.
      if (!markup.PlainTarget.empty()) landingNames_->emplace_back(markup.PlainTarget);
      add(markup.Names);
    }
  };
  // More than the targets (every item of every list, every name of every
  // jump, taken or not): an edit that may change whether a line begins with
  // any of them is left to a new analysis.
  std::vector<size_t> landings;
  for (size_t i = 0; i < Lines().Lines().size(); ++i) {
    if ((Lines().Marks(i) & (StoryLines::Question | StoryLines::Greater)) == 0) continue;
    const std::u16string_view line = Lines().Lines()[i].Text;
    addMarkup(line);
    const LineMarkup markup = ReadLineMarkup(line);
    for (size_t start = 0; markup.HasChoice && start <= markup.ChoiceList.size();) {
      landings.push_back(NextListItem(markup.ChoiceList, start).size() + 2);
    }
  }
  // A key that misses reads on from the middle of a line near the story's
  // start: the markup it meets there can name targets of its own. Read from
  // each place around the landing, so as to take in too many, never too few.
  std::sort(landings.begin(), landings.end());
  landings.erase(std::unique(landings.begin(), landings.end()), landings.end());
  for (const size_t landing : landings) {
    farthestMissLanding_ = std::max(farthestMissLanding_, landing);
    for (size_t pos = landing > 1 ? landing - 1 : 1; pos <= landing + 1; ++pos) {
      const StoryLines::Line& line = Lines().Lines()[Lines().LineIndexAt(static_cast<int64_t>(pos))];
      const auto inside = static_cast<size_t>(static_cast<int64_t>(pos) - line.Start);
      if (static_cast<int64_t>(pos) >= line.Start && inside <= line.Text.size()) addMarkup(line.Text.substr(inside));
    }
  }
  return *landingNames_;
}

bool StoryAnalysis::PlainText(std::u16string_view line) {
  if (line.size() > LongestPortableLine || StoryTrim(line).empty()) return false;
  for (const char16_t unit : line) {
    const bool markup = unit == u'?' || unit == u':' || unit == u'>' || unit == u'[';
    const bool odd = unit < u' ' || (unit >= 0xD800 && unit <= 0xDFFF) || unit == u'\uFFFD' || unit == u'\uFEFF';
    if (markup || odd) return false;
  }
  return !BeginsTarget(line, 0);
}

bool StoryAnalysis::BeginsTarget(std::u16string_view line, size_t kept) {
  return std::any_of(LandingNames().begin(), LandingNames().end(), [line, kept](const std::u16string& target) {
    return target.size() > kept && line.starts_with(target);
  });
}

bool StoryAnalysis::TakeEditInLine(size_t from, size_t removed, std::u16string_view inserted) {
  const std::optional<EditorStory::LineSpot> spot = story_.LineOfEdit(from, removed);
  // The first line is where the reading starts, and no target can land on it.
  if (!spot || spot->Line == 0) return false;
  const StoryLines::Line& line = Lines().Lines()[spot->Line];
  std::u16string after(line.Text);
  after.replace(spot->Inside, removed, inserted);
  if (Lines().Marks(spot->Line) == 0) {
    if (!PlainText(line.Text) || !PlainText(after)) return false;
  } else {
    // The units in front of the edit begin the line as they did: only a
    // longer target can land on it, or stop landing there.
    if (line.Text.size() > LongestPortableLine || after.size() > LongestPortableLine ||
        !EditOfShownText(line.Text, spot->Inside, removed, inserted) || BeginsTarget(line.Text, spot->Inside) ||
        BeginsTarget(after, spot->Inside)) {
      return false;
    }
  }
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
  const std::u16string_view before = Text();
  const size_t editFrom = static_cast<size_t>(at - 1);
  const size_t editTo = editFrom + removed;
  story_.EditLine(*spot, removed, inserted);
  // The index holds places in the text. The map holds lines by their
  // index, which stay, and views into the text, which move with it: the
  // edited line's label and what it shows are read again; any other view
  // the edit touches is made again with the whole map.
  targets_.reset();
  if (map_) {
    const auto moved = [&](std::u16string_view& view) {
      const auto first = reinterpret_cast<uintptr_t>(before.data());
      const auto place = reinterpret_cast<uintptr_t>(view.data());
      if (place < first || place > first + before.size() * sizeof(char16_t)) return true;  // a list of its own
      size_t offset = (place - first) / sizeof(char16_t);
      if (offset > editTo) {
        offset = static_cast<size_t>(static_cast<int64_t>(offset) + delta);
      } else if (offset + view.size() >= editFrom) {
        return false;
      }
      view = std::u16string_view(Text().data() + offset, view.size());
      return true;
    };
    bool kept = true;
    for (StoryMap::Passage& passage : map_->Passages) {
      if (passage.FirstLine == spot->Line) {
        const LineMarkup markup = ReadLineMarkup(Lines().Lines()[spot->Line].Text);
        passage.Label = markup.Label;
        passage.FirstText = markup.Shown;
      } else {
        kept = moved(passage.Label) && moved(passage.FirstText) && kept;
      }
    }
    for (StoryMap::Edge& edge : map_->Edges) kept = moved(edge.Item) && kept;
    if (!kept) map_.reset();
  }
  return true;
}
