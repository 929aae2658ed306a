#include "tools/vln/play/PlayReplay.h"

std::vector<PlayStep> ReplayFromOpen(const std::string& storyPath, TextFileInput& input,
                                     const std::vector<PlayEvent>& events, std::optional<int32_t> from) {
  PlaySession session(storyPath, input);
  session.Start();
  std::vector<PlayStep> steps;
  PlayStep start = session.Apply(*ParsePlayEvent("open"));
  start.Event = "start";
  if (from && start.Length > 0) {
    session.SetReadPosition(*from);
    start.Pos = *from;
  }
  steps.push_back(std::move(start));
  for (const PlayEvent& event : events) {
    if (session.Ended()) break;
    steps.push_back(session.Apply(event));
  }
  return steps;
}

std::vector<PlayStep> ReplayFromStart(const std::string& storyPath, TextFileInput& input,
                                      const std::vector<PlayEvent>& events) {
  PlaySession session(storyPath, input);
  std::vector<PlayStep> steps{session.Start()};
  for (const PlayEvent& event : events) {
    if (session.Ended()) break;
    steps.push_back(session.Apply(event));
  }
  return steps;
}
