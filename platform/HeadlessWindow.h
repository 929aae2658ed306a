#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/MainWindow.h"

// A window without a screen, for tests and the author's tool: it remembers
// what a user would have seen and answers Open dialogs from a script.
class HeadlessWindow : public MainWindow {
 public:
  struct ShownMessage {
    std::u16string Text;
    std::u16string Title;
    bool operator==(const ShownMessage&) const = default;
  };

  void SetCaption(std::u16string_view text) override;
  bool IsMinimized() const override { return minimized_; }
  void Minimize() override { minimized_ = true; }
  std::optional<std::string> ShowOpen(const OpenDialogSetup& setup) override;
  void ShowMessage(std::u16string_view text, std::u16string_view title) override;
  void Quit() override { quitRequested_ = true; }

  // Script for the Open dialog: queued answers go first (nothing = Cancel);
  // once the queue is empty every dialog answers the standing answer.
  void QueueDialogAnswer(std::optional<std::string> answer);
  void SetStandingDialogAnswer(std::optional<std::string> answer);

  void Restore() { minimized_ = false; }

  const std::u16string& CurrentCaption() const { return caption_; }
  // How often the caption was set; only the last text is kept, so a long
  // reading session costs no memory.
  long CaptionCount() const { return captionCount_; }
  const std::vector<ShownMessage>& Messages() const { return messages_; }
  const std::vector<OpenDialogSetup>& DialogSetups() const { return dialogs_; }
  bool QuitRequested() const { return quitRequested_; }

 private:
  std::u16string caption_;
  long captionCount_ = 0;
  std::vector<ShownMessage> messages_;
  std::vector<OpenDialogSetup> dialogs_;
  std::deque<std::optional<std::string>> queuedAnswers_;
  std::optional<std::string> standingAnswer_;
  bool minimized_ = false;
  bool quitRequested_ = false;
};
