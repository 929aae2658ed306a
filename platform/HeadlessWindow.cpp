#include "platform/HeadlessWindow.h"

void HeadlessWindow::SetCaption(std::u16string_view text) {
  caption_.assign(text);
  ++captionCount_;
}

std::optional<std::string> HeadlessWindow::ShowOpen(const OpenDialogSetup& setup) {
  dialogs_.push_back(setup);
  if (!queuedAnswers_.empty()) {
    auto answer = std::move(queuedAnswers_.front());
    queuedAnswers_.pop_front();
    return answer;
  }
  return standingAnswer_;
}

void HeadlessWindow::ShowMessage(std::u16string_view text, std::u16string_view title) {
  messages_.push_back({std::u16string(text), std::u16string(title)});
}

void HeadlessWindow::QueueDialogAnswer(std::optional<std::string> answer) {
  queuedAnswers_.push_back(std::move(answer));
}

void HeadlessWindow::SetStandingDialogAnswer(std::optional<std::string> answer) {
  standingAnswer_ = std::move(answer);
}
