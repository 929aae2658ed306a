#include "tools/vln/play/PlaySession.h"

void PlaySession::Window::SetCaption(std::u16string_view text) {
  HeadlessWindow::SetCaption(text);
  // The window's own caption (the product's name) comes from no line.
  if (story_.StoryPos > 0 && !story_.StoryText.empty()) shownFrom_ = story_.StoryPos;
}

PlaySession::PlaySession(const std::string& storyPath, TextFileInput& input)
    : window_(story_), form_(story_, window_, input) {
  window_.SetStandingDialogAnswer(storyPath);
}

PlayStep PlaySession::Start() {
  form_.Form_Load();
  return Snapshot("start", 0, 0);
}

PlayStep PlaySession::Apply(const PlayEvent& event) {
  const size_t messagesBefore = window_.Messages().size();
  const size_t dialogsBefore = window_.DialogSetups().size();
  switch (event.EventKind) {
    case PlayEvent::Kind::Open:
      form_.mnuFileOpen_Click();
      break;
    case PlayEvent::Kind::Exit:
      form_.mnuFileClose_Click();
      break;
    case PlayEvent::Kind::Key:
      form_.Form_KeyDown(event.KeyCode, event.Shift);
      break;
    case PlayEvent::Kind::File:
      window_.SetStandingDialogAnswer(event.Path);
      break;
    case PlayEvent::Kind::Cancel:
      window_.QueueDialogAnswer(std::nullopt);
      break;
  }
  return Snapshot(event.Word, messagesBefore, dialogsBefore);
}

PlayStep PlaySession::Snapshot(std::string event, size_t messagesBefore,
                               size_t dialogsBefore) const {
  PlayStep step;
  step.Event = std::move(event);
  step.Caption = window_.CurrentCaption();
  step.Pos = story_.StoryPos;
  step.Choice = story_.ChoiceList;
  step.Flags = {story_.FlagA, story_.FlagB, story_.FlagC, story_.FlagD, story_.FlagE};
  step.Minimized = window_.IsMinimized();
  step.Length = story_.StoryText.size();
  if (window_.Messages().size() > messagesBefore) {
    step.Message = window_.Messages().back().Text;
    step.MessageTitle = window_.Messages().back().Title;
  }
  if (window_.DialogSetups().size() > dialogsBefore) step.Dialog = window_.DialogSetups().back();
  step.Ended = window_.QuitRequested();
  step.ShownFrom = window_.ShownFrom();
  return step;
}
