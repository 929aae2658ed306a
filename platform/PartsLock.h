#pragma once

// What two parts running beside each other both change is changed under a
// PartsLock on a PartsMutex they share. WASI has no threads: there the parts
// run one after the other and the lock has nothing to do.
#if defined(__wasi__)
struct PartsMutex {};
struct PartsLock {
  explicit PartsLock(PartsMutex& /*mutex*/) {}
};
#else
#include <mutex>
using PartsMutex = std::mutex;
using PartsLock = std::lock_guard<std::mutex>;
#endif
