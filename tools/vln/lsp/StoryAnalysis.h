#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "tools/vln/check/CheckFinding.h"
#include "tools/vln/lsp/EditorStory.h"

class TargetIndex;
struct StoryMap;

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

 private:
  EditorStory story_;
  std::optional<CheckFindings> findings_;
  std::unique_ptr<TargetIndex> targets_;
  std::optional<std::vector<bool>> reached_;
  std::unique_ptr<StoryMap> map_;
};
