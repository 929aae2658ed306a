#include "platform/TryRun.h"

#include <exception>
#include <new>

std::optional<WorkFailure> TryRun(const std::function<void()>& work) {
  try {
    work();
  } catch (const std::bad_alloc&) {
    return WorkFailure{true, "out of memory"};
  } catch (const std::exception& error) {
    return WorkFailure{false, error.what()};
  }
  return std::nullopt;
}
