#include "tools/vln/lsp/StoryAnalysis.h"

#include "tools/vln/check/CheckStory.h"
#include "tools/vln/reading/StoryTargets.h"
#include "tools/vln/map/StoryMap.h"
#include "tools/vln/reading/StoryReach.h"

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
