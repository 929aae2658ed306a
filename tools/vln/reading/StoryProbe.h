#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/Caption.h"
#include "story/StoryState.h"
#include "tools/vln/reading/LineStartIndex.h"
#include "tools/vln/reading/StoryLines.h"

struct LineMarkup;

// Where a digit key that picks a label goes on, placed as the key handler
// places it: just after the label, on the label's own line. `Found` is the
// CR LF in front of the label, 0 when no line begins with it; the key still
// moves then, to a place counted from the start of the story.
struct ChoiceLanding {
  int64_t Found = 0;
  int64_t Landing = 0;
};

// Steps the reader's own line interpreter from any read position, so that
// whatever the author's tool says about where a story goes is what the
// reader does.
class StoryProbe {
 public:
  struct Step {
    int32_t Next = 0;          // what ShowNextLine returned
    std::u16string ChoiceList;  // the choice it left pending, if any
    std::array<int16_t, FlagCount> Flags{};  // the flags after the step
  };

  // How a step that takes a jump finds its target. The interpreter searches
  // the whole story for it, which makes a walk over every line grow with the
  // square of the story. Indexed runs the interpreter on the line alone and
  // answers a jump's search from a LineStartIndex, and steps over a line
  // without markers (WithoutMarkers) by itself; Engine runs the interpreter
  // on the whole story for every step. Both give the same steps,
  // which the tests hold them to.
  enum class JumpSearch { Indexed, Engine };

  // `text` must outlive the probe.
  explicit StoryProbe(std::u16string_view text, JumpSearch search = JumpSearch::Indexed);
  // Indexed, with the index built from the lines already cut from `text`.
  StoryProbe(std::u16string_view text, const StoryLines& lines);
  // A probe of its own over the same text and index, for stepping on another
  // thread: a probe keeps the line it steps.
  std::unique_ptr<StoryProbe> Twin() const;
  // The index holds views of the text.
  StoryProbe(const StoryProbe&) = delete;
  StoryProbe& operator=(const StoryProbe&) = delete;

  // One Down arrow at `pos` with all five flags at `flags` and no choice
  // pending.
  Step StepFrom(int32_t pos, int16_t flags);
  // The same, where the caller knows `line`, the text from `pos` up to the
  // CR LF that ends it, to hold "?", ":" or ">".
  Step StepFrom(int32_t pos, std::u16string_view line, int16_t flags);

  // Where a digit key that picks `label` lands.
  ChoiceLanding LandingOf(std::u16string_view label);

  JumpSearch SearchKind() const { return search_; }
  std::u16string_view Text() const { return text_; }
  // The lines that targets land on, over Text().
  const LineStartIndex& Starts() const { return *starts_; }

 private:
  StoryProbe(std::u16string_view text, std::shared_ptr<const LineStartIndex> starts,
             JumpSearch search);
  Step Run(int32_t pos, int16_t flags);
  Step RunLine(int32_t pos, std::u16string_view line, int16_t flags);
  int64_t Search(std::u16string_view target) const;

  class NoCaption : public Caption {
   public:
    void SetCaption(std::u16string_view) override {}
  };

  // Answers the interpreter's search for a jump's target from the index,
  // and tells that it was asked: the step then went to the target.
  class IndexSearch : public TargetSearch {
   public:
    explicit IndexSearch(const LineStartIndex& starts) : starts_(starts) {}
    int64_t FirstBreak(std::u16string_view target) const override {
      asked_ = true;
      return starts_.FirstBreak(target);
    }
    bool Asked() { return std::exchange(asked_, false); }

   private:
    const LineStartIndex& starts_;
    mutable bool asked_ = false;
  };

  std::u16string_view text_;
  // The whole story, for the interpreter's own search (Engine); the line
  // being stepped alone, for the index's (Indexed).
  StoryState story_;
  NoCaption caption_;
  JumpSearch search_;
  std::shared_ptr<const LineStartIndex> starts_;
  IndexSearch indexSearch_{*starts_};
};

inline constexpr int ChoiceKeys = 5;
