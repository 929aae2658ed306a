#include "platform/TryRun.h"

#include <exception>
#include <new>

namespace {

struct WorkStopped {};

}  // namespace

void StopWork() { throw WorkStopped{}; }

std::optional<WorkFailure> TryRun(const std::function<void()>& work) {
  try {
    work();
  } catch (const WorkStopped&) {
    return WorkFailure{false, true, "stopped"};
  } catch (const std::bad_alloc&) {
    return WorkFailure{true, false, "out of memory"};
  } catch (const std::exception& error) {
    return WorkFailure{false, false, error.what()};
  }
  return std::nullopt;
}
