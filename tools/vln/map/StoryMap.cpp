#include "tools/vln/map/StoryMap.h"

#include <algorithm>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <unordered_map>

#include "platform/PartsLock.h"
#include "story/StoryStrings.h"
#include "story/mdlFunction.h"
#include "tools/vln/reading/LineMarkup.h"
#include "tools/vln/reading/StoryProbe.h"
#include "tools/vln/reading/RunBeside.h"
#include "tools/vln/reading/StoryReach.h"

namespace {

using EdgeKind = StoryMap::EdgeKind;

// A value no flag of the reader's ever holds.
constexpr int16_t FlagUntouched = 1;
static_assert(FlagUntouched != FlagOn && FlagUntouched != FlagOff);

// Adds "A on" or "C off" to a passage's list of what its commands switch.
void AddFlagChange(std::u16string& changes, int flag, std::u16string_view how) {
  if (!changes.empty()) changes += u", ";
  changes += static_cast<char16_t>(u'A' + flag);
  changes += how;
}

// Where one line can send the reader: to another line, or to a target that
// begins no line.
struct Move {
  EdgeKind Kind = EdgeKind::Jump;
  bool Missing = false;
  size_t Line = 0;
  // The target's name, a view into the story or into the map's KeptLists.
  std::u16string_view Name;
  char16_t Key = 0;     // the digit of a choice, the flag letter of a conditional
  bool FlagOn = false;  // which branch of a conditional

  bool operator==(const Move&) const = default;
};

// What the Down arrow does on one line, worked out by stepping the line
// interpreter from the line's start.
struct LineStep {
  bool RunsOn = true;  // goes on with the next line, as a plain line does
  bool Ends = false;   // the story can stop after this line
  bool ReadAsConditional = false;
  bool Stuck = false;  // a choice no key can answer: the reader waits for ever
  // Its moves, in its share's Moves: a vector of a few moves for each of
  // tens of thousands of lines costs more in allocating than in moving.
  uint32_t FirstMove = 0;
  uint8_t MoveCount = 0;
  uint8_t Share = 0;
  // The flags the line switches on and off, a bit for each.
  uint8_t SwitchesOn = 0;
  uint8_t SwitchesOff = 0;
};

// A probe and the steps it took, for one share of the lines.
struct Stepper {
  StoryProbe& Probe;
  uint32_t Share;  // 0 or 1
  std::deque<StoryProbe::Step> Kept;  // a step kept stays where it is
  std::vector<Move> Moves;  // of the lines stepped, one after another
};

class MapBuilder {
 public:
  MapBuilder(const std::u16string& text, const StoryLines& lines, size_t worthAThread)
      : text_(text), lines_(lines), worthAThread_(worthAThread), probe_(text, lines) {}

  StoryMap Build();

 private:
  LineStep StepLine(size_t index, Stepper& stepper);
  // Steps every line with markup in [from, to) into `out`.
  void StepLines(size_t from, size_t to, Stepper& stepper, std::vector<LineStep>& out);
  // The probe's step from line `index`'s start, kept for the reach walk,
  // which would otherwise take every step with markup a second time.
  const StoryProbe::Step& KeptStep(size_t index, int16_t flags, Stepper& stepper);
  const StoryProbe::Step* KnownStep(size_t index, int16_t flags) const;
  void AddJumpMoves(const LineMarkup& markup, const StoryProbe::Step& step, Stepper& stepper,
                    LineStep& out);
  std::span<const Move> MovesOf(const LineStep& step) const {
    return std::span<const Move>(steppers_[step.Share]->Moves).subspan(step.FirstMove, step.MoveCount);
  }
  size_t MissingIndex(std::u16string_view name);
  std::u16string_view KeepList(const std::u16string& list);
  // The passages that `begins` starts and the edges between them, into map_.
  void AddPassages(const std::vector<bool>& begins, std::vector<LineStep>& marked,
                   const std::function<LineStep&(size_t)>& steps);

  const std::u16string& text_;
  const StoryLines& lines_;
  size_t worthAThread_;
  StoryProbe probe_;
  // By line and flags (off, on), which share's Kept holds that step, and
  // where: the share in the top bit.
  static constexpr uint32_t NotKept = UINT32_MAX;
  static constexpr uint32_t ShareBit = 31;
  std::vector<uint32_t> keptAt_;
  std::array<const Stepper*, 2> steppers_{};
  // Lines with markup in each share, stepped there.
  std::vector<uint32_t> stepOf_;
  StoryMap map_;
  std::unordered_map<std::u16string, size_t> missing_;
  PartsMutex keepLists_;  // both shares keep lists
};

const StoryProbe::Step& MapBuilder::KeptStep(size_t index, int16_t flags, Stepper& stepper) {
  // A step from untouched flags is kept as the step from all off.
  uint32_t& at = keptAt_[index * 2 + (flags == FlagOn ? 1 : 0)];
  if (at == NotKept) {
    at = static_cast<uint32_t>(stepper.Kept.size()) | (stepper.Share << ShareBit);
    const StoryLines::Line& line = lines_.Lines()[index];
    stepper.Kept.push_back(stepper.Probe.StepFrom(static_cast<int32_t>(line.Start), line.Text, flags));
  }
  return stepper.Kept[at & ~(1u << ShareBit)];
}

const StoryProbe::Step* MapBuilder::KnownStep(size_t index, int16_t flags) const {
  const uint32_t at = keptAt_[index * 2 + (flags == FlagOn ? 1 : 0)];
  if (at == NotKept) return nullptr;
  return &steppers_[at >> ShareBit]->Kept[at & ~(1u << ShareBit)];
}

void MapBuilder::StepLines(size_t from, size_t to, Stepper& stepper, std::vector<LineStep>& out) {
  for (size_t i = from; i < to; ++i) {
    if (lines_.Plain(i)) continue;
    stepOf_[i] = static_cast<uint32_t>(out.size());
    out.push_back(StepLine(i, stepper));
  }
}

LineStep MapBuilder::StepLine(size_t index, Stepper& stepper) {
  // Plain lines never come here: they run on and switch nothing.
  const StoryLines::Line& line = lines_.Lines()[index];
  const LineMarkup markup = ReadLineMarkup(line.Text);
  LineStep out;
  out.FirstMove = static_cast<uint32_t>(stepper.Moves.size());
  out.Share = static_cast<uint8_t>(stepper.Share);
  const bool flagDecides = markup.JumpTaken() && markup.Flag >= 0;
  // Where the flags cannot change where the line goes, a command's changes
  // show in one step from flags the reader never holds: it only ever sets
  // a flag on or off, so whatever is still neither it left alone. The walk
  // asks this step for the line's step from all flags off, and gets the
  // same landing and choice.
  const StoryProbe::Step& off =
      KeptStep(index, markup.HasCommand && !flagDecides ? FlagUntouched : FlagOff, stepper);
  // Commands switch flags before a conditional jump tests one, so the flag a
  // branch is drawn with is the one the step left, not the one it began with.
  const StoryProbe::Step& on = flagDecides ? KeptStep(index, FlagOn, stepper) : off;
  if (markup.HasCommand) {
    for (int flag = 0; flag < FlagCount; ++flag) {
      if (off.Flags[static_cast<size_t>(flag)] == FlagOn) out.SwitchesOn |= 1u << flag;
      if (on.Flags[static_cast<size_t>(flag)] == FlagOff) out.SwitchesOff |= 1u << flag;
    }
  }

  if (!off.ChoiceList.empty()) {
    // Down does nothing while a choice is pending: only keys 1 to 5 go on.
    out.RunsOn = false;
    // The edges name the items by views that outlive the steps: into the
    // story where its line holds the interpreter's list as it is.
    const std::u16string_view list =
        markup.ChoiceList == off.ChoiceList ? markup.ChoiceList : KeepList(off.ChoiceList);
    const auto items = FirstListItems<ChoiceKeys>(list);
    for (int key = 0; key < ChoiceKeys; ++key) {
      const std::u16string_view item = items[static_cast<size_t>(key)];
      if (item.empty()) continue;
      Move move{EdgeKind::Choice, false, 0, item, static_cast<char16_t>(u'1' + key), false};
      const ChoiceLanding to = stepper.Probe.LandingOf(item);
      if (to.Found > 0) {
        move.Line = lines_.LineIndexAt(to.Found + 2);
      } else {
        move.Missing = true;
      }
      stepper.Moves.push_back(move);
      ++out.MoveCount;
    }
    out.Stuck = out.MoveCount == 0;
    return out;
  }
  if (markup.JumpTaken()) {
    out.RunsOn = false;
    out.ReadAsConditional = ReadAsConditionalByMistake(markup, stepper.Probe.Starts());
    AddJumpMoves(markup, off, stepper, out);
    if (markup.Flag >= 0) AddJumpMoves(markup, on, stepper, out);
    return out;
  }
  if (off.Next == 0) {
    out.RunsOn = false;
    out.Ends = true;
  }
  return out;
}

void MapBuilder::AddJumpMoves(const LineMarkup& markup, const StoryProbe::Step& step,
                              Stepper& stepper, LineStep& out) {
  Move move;
  if (markup.Flag >= 0) {
    const bool flagOn = step.Flags[static_cast<size_t>(markup.Flag)] == FlagOn;
    move.Kind = EdgeKind::Conditional;
    move.Name = ListItemView(markup.Names, flagOn ? 0 : 1);
    move.Key = static_cast<char16_t>(u'A' + markup.Flag);
    move.FlagOn = flagOn;
  } else {
    move.Name = markup.PlainTarget;
  }
  // A jump returns the CR of the line break in front of its target; the
  // step after it goes on with the line that break ends.
  const int64_t landing = static_cast<int64_t>(step.Next) + 2;
  if (step.Next == 0) {
    move.Missing = true;
  } else if (landing > static_cast<int64_t>(text_.size())) {
    out.Ends = true;  // the story's last line break: nothing follows it
    return;
  } else {
    move.Line = lines_.LineIndexAt(landing);
  }
  const auto before = stepper.Moves.begin() + out.FirstMove;
  if (std::find(before, stepper.Moves.end(), move) == stepper.Moves.end()) {
    stepper.Moves.push_back(move);
    ++out.MoveCount;
  }
}

std::u16string_view MapBuilder::KeepList(const std::u16string& list) {
  const PartsLock hold(keepLists_);
  return map_.KeptLists.emplace_back(list);
}

size_t MapBuilder::MissingIndex(std::u16string_view name) {
  const auto [found, added] = missing_.try_emplace(std::u16string(name), map_.MissingTargets.size());
  if (added) map_.MissingTargets.emplace_back(name);
  return found->second;
}

bool IsBlank(const StoryLines::Line& line) { return StoryTrim(line.Text).empty(); }

StoryMap MapBuilder::Build() {
  const auto& all = lines_.Lines();
  const size_t count = all.size();
  if (count == 0) return map_;
  keptAt_.assign(count * 2, NotKept);
  stepOf_.assign(count, NotKept);
  // Each line is stepped from its own start alone, so on a long story the
  // second half of the lines is stepped on a second thread with a probe of
  // its own.
  Stepper first{probe_, 0, {}, {}};
  const std::unique_ptr<StoryProbe> twin = probe_.Twin();
  Stepper second{*twin, 1, {}, {}};
  steppers_ = {&first, &second};
  const size_t half = count / 2;
  // Room for all the steps at once, the second share's too, and for as
  // many moves as each share's lines can make (a choice five, a jump two):
  // a long story's steps and moves copied as the vectors grow would touch
  // twice the memory, where room never used is never touched.
  const auto countShare = [&](size_t from, size_t to, Stepper& stepper) {
    size_t steps = 0;
    size_t moves = 0;
    for (size_t i = from; i < to; ++i) {
      const uint8_t marks = lines_.Marks(i);
      steps += lines_.Plain(i) ? 0 : 1;
      moves += (marks & StoryLines::Question) != 0 ? ChoiceKeys : (marks & StoryLines::Greater) != 0 ? 2 : 0;
    }
    stepper.Moves.reserve(moves);
    return steps;
  };
  const size_t firstMarked = countShare(0, half, first);
  const size_t allMarked = firstMarked + countShare(half, count, second);
  std::vector<LineStep> marked;
  marked.reserve(allMarked);
  std::vector<LineStep> later;
  later.reserve(allMarked - firstMarked);
  RunBeside(
      count, worthAThread_, [&] { StepLines(half, count, second, later); },
      [&] { StepLines(0, half, first, marked); });
  for (size_t i = half; i < count; ++i) {
    if (stepOf_[i] != NotKept) stepOf_[i] += static_cast<uint32_t>(marked.size());
  }
  marked.insert(marked.end(), std::make_move_iterator(later.begin()),
                std::make_move_iterator(later.end()));
  // Plain lines, most of a story, share one step that runs on.
  LineStep plain;
  const auto steps = [&](size_t i) -> LineStep& {
    return stepOf_[i] == NotKept ? plain : marked[stepOf_[i]];
  };
  std::vector<bool> begins(count, false);
  begins[0] = true;
  for (const LineStep& step : marked) {
    for (const Move& move : MovesOf(step)) {
      if (!move.Missing) begins[move.Line] = true;
    }
  }
  for (size_t i = 1; i < count; ++i) {
    if (!steps(i - 1).RunsOn || steps(i - 1).Ends) begins[i] = true;
  }
  // The walk needs only the steps kept, and the passages and edges need
  // nothing of the walk until each passage is marked reached at the end.
  std::vector<bool> reached;
  RunBeside(
      count, worthAThread_,
      [&] {
        reached = ReachedLines(probe_, lines_,
                               [this](size_t index, int16_t flags) { return KnownStep(index, flags); });
      },
      [&] { AddPassages(begins, marked, steps); });
  for (StoryMap::Passage& passage : map_.Passages) {
    passage.Reached = std::any_of(reached.begin() + static_cast<ptrdiff_t>(passage.FirstLine),
                                  reached.begin() + static_cast<ptrdiff_t>(passage.LastLine) + 1,
                                  [](bool shown) { return shown; });
  }
  return std::move(map_);
}

void MapBuilder::AddPassages(const std::vector<bool>& begins, std::vector<LineStep>& marked,
                             const std::function<LineStep&(size_t)>& steps) {
  const auto& all = lines_.Lines();
  const size_t count = all.size();
  // Every passage first, then the ones worth drawing, moved up in place.
  std::vector<StoryMap::Passage> passages;
  passages.reserve(static_cast<size_t>(std::count(begins.begin(), begins.end(), true)));
  std::vector<uint32_t> passageOf(count);  // fewer lines than a story has units
  for (size_t i = 0; i < count; ++i) {
    if (begins[i]) {
      StoryMap::Passage passage;
      const LineMarkup markup = ReadLineMarkup(all[i].Text);
      passage.FirstLine = i;
      passage.FileLine = lines_.FileLineAt(all[i].Start);
      passage.Label = markup.Label;
      passage.FirstText = markup.Shown;
      passages.push_back(std::move(passage));
    }
    StoryMap::Passage& passage = passages.back();
    passageOf[i] = static_cast<uint32_t>(passages.size() - 1);
    passage.LastLine = i;
    const LineStep& step = steps(i);
    // All a line's ONs run before its OFFs.
    for (int flag = 0; flag < FlagCount; ++flag) {
      if ((step.SwitchesOn >> flag & 1) != 0) AddFlagChange(passage.FlagChanges, flag, u" on");
    }
    for (int flag = 0; flag < FlagCount; ++flag) {
      if ((step.SwitchesOff >> flag & 1) != 0) AddFlagChange(passage.FlagChanges, flag, u" off");
    }
    passage.Ends = step.Ends || (step.RunsOn && i + 1 == count);
    passage.Stuck = step.Stuck;
  }
  std::vector<bool> landedOn(passages.size(), false);
  for (const LineStep& step : marked) {
    for (const Move& move : MovesOf(step)) {
      if (!move.Missing) landedOn[passageOf[move.Line]] = true;
    }
  }
  std::vector<size_t> drawnAs(passages.size(), SIZE_MAX);
  size_t drawn = 0;
  for (size_t p = 0; p < passages.size(); ++p) {
    const StoryMap::Passage& passage = passages[p];
    const bool blank = std::all_of(all.begin() + static_cast<ptrdiff_t>(passage.FirstLine),
                                   all.begin() + static_cast<ptrdiff_t>(passage.LastLine) + 1,
                                   IsBlank);
    // Blank lines after a jump or an end are only the empty step a jump
    // shows; check says nothing of them either.
    if (blank && p != 0 && !landedOn[p]) continue;
    drawnAs[p] = drawn++;
  }
  for (size_t p = 0; p < passages.size(); ++p) {
    if (drawnAs[p] != SIZE_MAX && drawnAs[p] != p) passages[drawnAs[p]] = std::move(passages[p]);
  }
  passages.resize(drawn);
  map_.Passages = std::move(passages);
  size_t edges = 0;
  for (const StoryMap::Passage& passage : map_.Passages) {
    const LineStep& step = steps(passage.LastLine);
    edges += step.MoveCount + (step.RunsOn ? 1u : 0u);
  }
  map_.Edges.reserve(edges);
  for (size_t p = 0; p < drawnAs.size(); ++p) {
    if (drawnAs[p] == SIZE_MAX) continue;
    const size_t last = map_.Passages[drawnAs[p]].LastLine;
    LineStep& step = steps(last);
    if (step.RunsOn && last + 1 < count) {
      StoryMap::Edge& edge = map_.Edges.emplace_back();
      edge.From = drawnAs[p];
      edge.To = drawnAs[passageOf[last + 1]];
    }
    for (const Move& move : MovesOf(step)) {
      StoryMap::Edge& edge = map_.Edges.emplace_back();
      edge.From = drawnAs[p];
      edge.Kind = move.Kind;
      edge.ToMissing = move.Missing;
      edge.To = move.Missing ? MissingIndex(move.Name) : drawnAs[passageOf[move.Line]];
      edge.ReadAsConditional = step.ReadAsConditional;
      edge.Key = move.Key;
      edge.FlagOn = move.FlagOn;
      if (move.Kind == EdgeKind::Choice) edge.Item = move.Name;
    }
  }
}

}  // namespace

StoryMap BuildStoryMap(const std::u16string& text, const StoryLines& lines, size_t worthAThread) {
  return MapBuilder(text, lines, worthAThread).Build();
}
