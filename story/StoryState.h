#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Where a jump finds the line break in front of its target. The reader
// searches the whole story; an author's tool that steps one line at a time
// answers from an index of the story's lines.
class TargetSearch {
 public:
  virtual ~TargetSearch() = default;
  // The 1-based position of the CR of the first CR LF that `target`
  // follows, 0 when there is none.
  virtual int64_t FirstBreak(std::u16string_view target) const = 0;
};

// The story being read. There is one for the whole run of the program; the
// handlers and the engine get it by reference.
struct StoryState {
  // The whole story, every line followed by CR LF. Empty: no story loaded.
  std::u16string StoryText;
  // 1-based position where the next line begins; 0 or less: stopped.
  int32_t StoryPos = 0;
  // Comma-separated labels of the pending choice; empty: none pending.
  std::u16string ChoiceList;
  // Story flags: 0 is off, -1 is on, nothing else is ever stored.
  int16_t FlagA = 0;
  int16_t FlagB = 0;
  int16_t FlagC = 0;
  int16_t FlagD = 0;
  int16_t FlagE = 0;
  // Null: a jump searches StoryText, as the reader's always does.
  const TargetSearch* Search = nullptr;
};

inline constexpr int16_t FlagOn = -1;
inline constexpr int16_t FlagOff = 0;
inline constexpr int FlagCount = 5;

// FlagA..FlagE by number 0..4, so that the five can be handled in one loop.
// Inline: every step of the interpreter goes through it.
inline int16_t& StoryFlag(StoryState& story, int index) {
  switch (index) {
    case 0: return story.FlagA;
    case 1: return story.FlagB;
    case 2: return story.FlagC;
    case 3: return story.FlagD;
    default: return story.FlagE;
  }
}
