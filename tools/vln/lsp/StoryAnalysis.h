#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/vln/check/CheckFinding.h"
#include "tools/vln/lsp/EditorStory.h"

class TargetIndex;
struct StoryMap;
struct LabelWays;

// Everything the server knows about one version of a document, each part
// worked out the first time it is asked for: an edit makes a new analysis,
// and a part no request needs costs nothing.
class StoryAnalysis {
 public:
  explicit StoryAnalysis(std::u16string_view editorText, SavedLineFeed lineFeeds = SavedLineFeed::AsItIs);
  ~StoryAnalysis();
  StoryAnalysis(const StoryAnalysis&) = delete;
  StoryAnalysis& operator=(const StoryAnalysis&) = delete;

  const EditorStory& Story() const { return story_; }
  const std::u16string& Text() const { return story_.Text(); }
  const StoryLines& Lines() const { return story_.Lines(); }

  // What `vln check` reports for the same text.
  const CheckFindings& Findings();
  const TargetIndex& Targets();
  // Per story line: whether some reading from the first line shows it.
  const std::vector<bool>& Reached();
  const StoryMap& Map();
  // WaysIntoLabelLines, kept as long as no line's index or landing changes.
  const std::vector<LabelWays>& WaysIntoLabels();

  // Takes an edit of the editor's text (`removed` units at `from` replaced
  // by `inserted`) that stays inside a line and leaves its markup as it
  // was: a plain line that stays plain, or the shown text of a line with
  // markup; on no line a search can land on after it, or stop landing on,
  // and no line a finding quotes. Such an edit changes no way through the
  // story and no finding but where the findings after it stand, so the
  // analysis follows it without being made again. False, with nothing
  // changed, for any other edit.
  bool TakeEditInLine(size_t from, size_t removed, std::u16string_view inserted);

 private:
  // Whether `line` holds a plain line's text the edit may leave: nothing
  // the interpreter or a check reads as markup, not blank, and no line a
  // target without brackets would begin.
  bool PlainText(std::u16string_view line);
  // Whether `line` begins with a target longer than `kept` units.
  bool BeginsTarget(std::u16string_view line, size_t kept);
  const std::vector<std::u16string>& LandingNames();

  EditorStory story_;
  std::optional<CheckFindings> findings_;
  std::unique_ptr<TargetIndex> targets_;
  std::optional<std::vector<bool>> reached_;
  std::unique_ptr<StoryMap> map_;
  std::unique_ptr<std::vector<LabelWays>> ways_;
  // Every jump or choice target: a line may begin with one. Edits the
  // analysis follows leave them as they are.
  std::optional<std::vector<std::u16string>> landingNames_;
  // A choice key whose target begins no line goes on at 2 + the target's
  // length from the story's start: an edit in front of the farthest such
  // place could move what it lands on.
  size_t farthestMissLanding_ = 0;
};
