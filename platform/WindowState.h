#pragma once

class WindowState {
 public:
  virtual ~WindowState() = default;
  virtual bool IsMinimized() const = 0;
  virtual void Minimize() = 0;
};
