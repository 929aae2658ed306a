#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

// Answers the next modal window once its event loop runs: `answer` gets it as
// T, or nothing when no such window turned up within about two seconds (the
// test then fails on what the window under test returned).
template <typename T>
void AnswerNextModal(std::function<void(T*)> answer, int triesLeft = 200) {
  QTimer::singleShot(10, qApp, [answer = std::move(answer), triesLeft]() mutable {
    if (auto* modal = qobject_cast<T*>(QApplication::activeModalWidget())) {
      answer(modal);
    } else if (triesLeft > 0) {
      AnswerNextModal<T>(std::move(answer), triesLeft - 1);
    }
  });
}
