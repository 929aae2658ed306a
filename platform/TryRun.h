#pragma once

#include <functional>
#include <optional>
#include <string>

// What a piece of work threw instead of finishing.
struct WorkFailure {
  bool OutOfMemory = false;
  std::string What;
};

// Runs `work` and says what it threw, if anything, so that one request gone
// wrong does not end a server. A build without exceptions (WASI) runs it and
// nothing else: there nothing throws.
std::optional<WorkFailure> TryRun(const std::function<void()>& work);
