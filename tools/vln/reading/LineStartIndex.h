#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/vln/reading/StoryLines.h"

// Answers the search a jump and a choice make, find(1, text, CR LF + target),
// for many targets without scanning the story once per target: a story with
// thousands of jumps would take seconds. Built once per text in one pass; a
// bracketed label costs one hash look-up, any other target a few binary
// searches.
class LineStartIndex {
 public:
  // `text` must outlive the index.
  explicit LineStartIndex(std::u16string_view text);
  // The same, from the lines already cut from `text`.
  LineStartIndex(std::u16string_view text, const StoryLines& lines);
  ~LineStartIndex();
  LineStartIndex(LineStartIndex&&) noexcept;
  LineStartIndex& operator=(LineStartIndex&&) noexcept;

  // Whether CR LF followed by `target` occurs in the text.
  bool Begins(std::u16string_view target) const { return FirstBreak(target) > 0; }

  // The search itself: the 1-based position of the CR in front of the first
  // line that begins with `target`, 0 when no line does. A target that is
  // only the beginning of a longer line finds that line, and the empty target
  // finds the text's first line break.
  int64_t FirstBreak(std::u16string_view target) const;

  // The CR in front of the first line (ended by CR LF) that is exactly
  // `target`, 0 when none is.
  int64_t FirstWholeLine(std::u16string_view target) const;

  // Lines that begin with a "[label]" an earlier line begins already, in the
  // order of the text: the CR in front of each and the CR in front of that
  // earlier line, which every search for the label finds.
  const std::vector<std::pair<int64_t, int64_t>>& RepeatedLabels() const { return repeatedLabels_; }

 private:
  struct Sorted;
  const Sorted& SortedPieces() const;

  std::u16string_view text_;
  int64_t firstBreak_ = 0;
  int64_t LabelBreak(std::u16string_view label) const;
  void AddPiece(std::u16string_view line, int64_t at,
                std::vector<std::pair<std::u16string_view, int64_t>>& labels);
  void PlaceLabels(const std::vector<std::pair<std::u16string_view, int64_t>>& labels);

  // The "[name]" each line begins with, and the CR in front of the first
  // line that does: a bracketed target with no other "]" begins exactly the
  // lines whose label it is, so the usual target needs no search at all.
  // An open-addressed table, with the labels' own text copied side by side,
  // small enough to stay in the cache where a node per label, or a look into
  // the story for each, would miss it on every look-up.
  // A story text is shorter than 2^31 units, so 32 bits hold any position.
  // A short label is kept in its slot, so that most look-ups read one cache
  // line rather than a slot and then its text.
  static constexpr size_t InlineUnits = 8;
  struct LabelSlot {
    uint32_t Hash = 0;
    uint32_t Break = 0;   // 0: empty
    uint32_t Offset = 0;  // of a longer label in labelUnits_
    uint32_t Length = 0;
    char16_t Inline[InlineUnits] = {};
  };
  std::vector<LabelSlot> labels_;
  std::u16string labelUnits_;
  std::vector<std::pair<int64_t, int64_t>> repeatedLabels_;
  // The units lines begin with: a target beginning with any other unit
  // begins no line (a plain jump read as a conditional one asks for "A[x]").
  std::bitset<65536> firstUnits_;
  // Every line, sorted, for any other target; sorted on first use, as most
  // stories never need it.
  mutable std::unique_ptr<std::once_flag> sortOnce_;
  mutable std::unique_ptr<Sorted> sorted_;
};
