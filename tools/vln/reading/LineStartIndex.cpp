#include "tools/vln/reading/LineStartIndex.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <string>

#include "story/StoryStrings.h"
#include "tools/vln/reading/LineMarkup.h"

namespace {

constexpr std::u16string_view LineBreak = u"\r\n";
constexpr int64_t Nowhere = std::numeric_limits<int64_t>::max();

uint64_t LabelHash(std::u16string_view label) {
  uint64_t hash = 0xcbf29ce484222325u;
  for (const char16_t unit : label) hash = (hash ^ unit) * 0x100000001b3u;
  // FNV's low bits hang on the units' low bits alone; the slot is taken from
  // them, so every bit is mixed down first.
  hash ^= hash >> 33;
  hash *= 0xff51afd7ed558ccdu;
  hash ^= hash >> 33;
  return hash;
}

}  // namespace

struct LineStartIndex::Sorted {
  struct Piece {
    std::u16string_view Text;  // from just after a CR LF up to the next one, or to the end
    int64_t Break = 0;         // position of that CR LF's CR
    bool Ended = false;        // a CR LF follows the piece
  };

  explicit Sorted(std::u16string_view text);
  size_t FirstNotBefore(std::u16string_view target) const;
  int64_t EarliestBreak(size_t from, size_t to) const;

  // Sorted by text, then by position: the pieces that begin with one target
  // stand together, the earliest of equal ones first.
  std::vector<Piece> Pieces;
  // A segment tree over Pieces of their smallest Break, so that the earliest
  // of the pieces a target begins is found without walking them all (a
  // one-letter target can begin thousands).
  std::vector<int64_t> Earliest;
};

LineStartIndex::Sorted::Sorted(std::u16string_view text) {
  for (int64_t end = StoryFind(1, text, LineBreak); end > 0;) {
    const int64_t start = end + 2;
    const int64_t next = StoryFind(start, text, LineBreak);
    Pieces.push_back({next > 0 ? StoryMid(text, start, next - start) : StoryMid(text, start), end,
                      next > 0});
    end = next;
  }
  std::sort(Pieces.begin(), Pieces.end(), [](const Piece& a, const Piece& b) {
    const int order = a.Text.compare(b.Text);
    return order != 0 ? order < 0 : a.Break < b.Break;
  });
  const size_t n = Pieces.size();
  Earliest.assign(2 * n, Nowhere);
  for (size_t i = 0; i < n; ++i) Earliest[n + i] = Pieces[i].Break;
  for (size_t i = n; i-- > 1;) Earliest[i] = std::min(Earliest[2 * i], Earliest[2 * i + 1]);
}

size_t LineStartIndex::Sorted::FirstNotBefore(std::u16string_view target) const {
  return static_cast<size_t>(
      std::partition_point(Pieces.begin(), Pieces.end(),
                           [&](const Piece& piece) { return piece.Text < target; }) -
      Pieces.begin());
}

int64_t LineStartIndex::Sorted::EarliestBreak(size_t from, size_t to) const {
  int64_t best = Nowhere;
  const size_t n = Pieces.size();
  for (size_t lo = from + n, hi = to + n; lo < hi; lo /= 2, hi /= 2) {
    if (lo & 1) best = std::min(best, Earliest[lo++]);
    if (hi & 1) best = std::min(best, Earliest[--hi]);
  }
  return best;
}

LineStartIndex::LineStartIndex(std::u16string_view text)
    : text_(text), sortOnce_(std::make_unique<std::once_flag>()) {
  std::vector<std::pair<std::u16string_view, int64_t>> labels;
  firstBreak_ = StoryFind(1, text, LineBreak);
  for (int64_t end = firstBreak_; end > 0;) {
    const int64_t start = end + 2;
    const int64_t next = StoryFind(start, text, LineBreak);
    AddPiece(next > 0 ? StoryMid(text, start, next - start) : StoryMid(text, start), end, labels);
    end = next;
  }
  PlaceLabels(labels);
}

// The pieces are the lines after the first and the text after the last
// break: the lines were cut at the same breaks.
LineStartIndex::LineStartIndex(std::u16string_view text, const StoryLines& lines)
    : text_(text), sortOnce_(std::make_unique<std::once_flag>()) {
  std::vector<std::pair<std::u16string_view, int64_t>> labels;
  const auto& all = lines.Lines();
  if (all.empty()) return;  // no line break at all
  // Room for every label at once: only a line with a "[" can begin with one.
  size_t bracketed = 0;
  for (size_t i = 0; i < all.size(); ++i) bracketed += (lines.Marks(i) & StoryLines::Bracket) != 0 ? 1 : 0;
  labels.reserve(bracketed + 1);
  firstBreak_ = all.front().End;
  for (size_t i = 1; i < all.size(); ++i) AddPiece(all[i].Text, all[i - 1].End, labels);
  AddPiece(StoryMid(text, all.back().End + 2), all.back().End, labels);
  PlaceLabels(labels);
}

void LineStartIndex::AddPiece(std::u16string_view line, int64_t at,
                              std::vector<std::pair<std::u16string_view, int64_t>>& labels) {
  if (!line.empty()) firstUnits_.set(line.front());
  if (const std::u16string_view label = LineLabel(line); !label.empty()) labels.emplace_back(label, at);
}

void LineStartIndex::PlaceLabels(const std::vector<std::pair<std::u16string_view, int64_t>>& labels) {
  // At most two thirds full, so that a look-up rarely probes a second slot.
  size_t size = 16;
  while (size * 2 < labels.size() * 3) size *= 2;
  labels_.resize(size);
  for (const auto& [label, at] : labels) {
    // The first line with a label is the one found; later ones are kept
    // apart for the check of labels defined twice.
    if (const int64_t first = LabelBreak(label); first != 0) {
      repeatedLabels_.emplace_back(at, first);
      continue;
    }
    const uint64_t hash = LabelHash(label);
    for (size_t slot = hash & (size - 1);; slot = (slot + 1) & (size - 1)) {
      if (labels_[slot].Break == 0) {
        LabelSlot& entry = labels_[slot];
        entry = {static_cast<uint32_t>(hash >> 32), static_cast<uint32_t>(at), 0,
                 static_cast<uint32_t>(label.size()), {}};
        if (label.size() <= InlineUnits) {
          std::copy(label.begin(), label.end(), entry.Inline);
        } else {
          entry.Offset = static_cast<uint32_t>(labelUnits_.size());
          labelUnits_ += label;
        }
        break;
      }
    }
  }
}

int64_t LineStartIndex::LabelBreak(std::u16string_view label) const {
  const uint64_t hash = LabelHash(label);
  const size_t mask = labels_.size() - 1;
  for (size_t slot = hash & mask; labels_[slot].Break != 0; slot = (slot + 1) & mask) {
    const LabelSlot& entry = labels_[slot];
    if (entry.Hash != static_cast<uint32_t>(hash >> 32) || entry.Length != label.size()) continue;
    const std::u16string_view units = entry.Length <= InlineUnits
                                          ? std::u16string_view(entry.Inline, entry.Length)
                                          : std::u16string_view(labelUnits_).substr(entry.Offset, entry.Length);
    if (units == label) return entry.Break;
  }
  return 0;
}

LineStartIndex::~LineStartIndex() = default;
LineStartIndex::LineStartIndex(LineStartIndex&&) noexcept = default;
LineStartIndex& LineStartIndex::operator=(LineStartIndex&&) noexcept = default;

const LineStartIndex::Sorted& LineStartIndex::SortedPieces() const {
  std::call_once(*sortOnce_, [this] { sorted_ = std::make_unique<Sorted>(text_); });
  return *sorted_;
}

// A target without CR cannot run over the CR LF that ends the piece it starts
// in, so it occurs after a line break exactly when one of the pieces begins
// with it; those pieces are the ones from the first not less than the target
// on. A target holding a CR (no loaded story has one) is searched for plainly.
int64_t LineStartIndex::FirstBreak(std::u16string_view target) const {
  if (target.find(u'\r') != std::u16string_view::npos) {
    std::u16string search(LineBreak);
    search += target;
    return StoryFind(1, text_, search);
  }
  if (target.empty()) return firstBreak_;
  if (LineLabel(target).size() == target.size()) return LabelBreak(target);
  if (!firstUnits_.test(target.front())) return 0;
  const Sorted& sorted = SortedPieces();
  const size_t from = sorted.FirstNotBefore(target);
  const auto to = static_cast<size_t>(
      std::partition_point(sorted.Pieces.begin() + static_cast<std::ptrdiff_t>(from),
                           sorted.Pieces.end(),
                           [&](const Sorted::Piece& piece) { return piece.Text.starts_with(target); }) -
      sorted.Pieces.begin());
  const int64_t found = sorted.EarliestBreak(from, to);
  return found == Nowhere ? 0 : found;
}

int64_t LineStartIndex::FirstWholeLine(std::u16string_view target) const {
  // Equal pieces stand earliest first; only the text's last piece can lack
  // its CR LF.
  const Sorted& sorted = SortedPieces();
  for (size_t i = sorted.FirstNotBefore(target);
       i < sorted.Pieces.size() && sorted.Pieces[i].Text == target; ++i) {
    if (sorted.Pieces[i].Ended) return sorted.Pieces[i].Break;
  }
  return 0;
}
