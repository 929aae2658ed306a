// WASI builds have no exceptions: nothing is thrown to be caught.
#include "platform/TryRun.h"

#include <cstdlib>

std::optional<WorkFailure> TryRun(const std::function<void()>& work) {
  work();
  return std::nullopt;
}

void StopWork() { std::abort(); }
