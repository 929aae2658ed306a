#pragma once

#include <functional>
#include <optional>
#include <string>

// What a piece of work threw instead of finishing.
struct WorkFailure {
  bool OutOfMemory = false;
  bool Stopped = false;  // StopWork ended it
  std::string What;
};

// Runs `work` and says what it threw, if anything, so that one request gone
// wrong does not end a server. A build without exceptions (WASI) runs it and
// nothing else: there nothing throws.
std::optional<WorkFailure> TryRun(const std::function<void()>& work);
// Ends the work TryRun runs, at once; TryRun says it was stopped. Only a
// thread beside the work can learn that it should stop, so where there are
// no threads (WASI) nothing calls this.
[[noreturn]] void StopWork();
