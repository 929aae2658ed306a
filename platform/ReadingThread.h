#pragma once

#include <functional>

// A thread that reads ahead while the program works, the lock it shares with
// the program's own thread and the signals they wait on. WASI has no
// threads: there none is started, so nothing ever waits on a signal and the
// lock has nothing to do.
#if defined(__wasi__)
struct SharedMutex {};
struct SharedLock {
  explicit SharedLock(SharedMutex& /*mutex*/) {}
  void unlock() {}
};
struct SharedSignal {
  template <class Ready>
  void wait(SharedLock& /*lock*/, Ready /*ready*/) {}
  void notify_all() {}
};
class ReadingThread {
 public:
  bool Start(std::function<void()> /*work*/) { return false; }
  bool Running() const { return false; }
  void Join() {}
};
#else
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
using SharedMutex = std::mutex;
using SharedLock = std::unique_lock<std::mutex>;
using SharedSignal = std::condition_variable;
class ReadingThread {
 public:
  // False where no thread can be had: the caller reads in turn instead.
  bool Start(std::function<void()> work) {
    try {
      thread_ = std::thread(std::move(work));
    } catch (const std::system_error&) {
      return false;
    }
    return true;
  }
  bool Running() const { return thread_.joinable(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
};
#endif
