#include "tools/vln/reading/RunBeside.h"

#include <condition_variable>
#include <exception>
#include <future>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace {

// One thread that waits for parts to run beside the caller, so that each
// part starts at once on the processor the thread already has.
class ThreadBeside {
 public:
  // Null when no thread can be had. It is never stopped: it waits while the
  // program runs, and ends with it.
  static ThreadBeside* Get() {
    static ThreadBeside* const beside = Start();
    return beside;
  }

  // Hands `part` to the thread; false when it is another caller's until
  // that caller has waited for its part.
  bool TryRun(const std::function<void()>& part) {
    const std::lock_guard<std::mutex> hold(mutex_);
    if (taken_) return false;
    taken_ = true;
    done_ = false;
    error_ = nullptr;
    part_ = &part;
    asked_.notify_one();
    return true;
  }

  // Waits for the part handed on, passes on what it threw, and frees the
  // thread for the next caller.
  void Wait() {
    std::unique_lock<std::mutex> hold(mutex_);
    finished_.wait(hold, [this] { return done_; });
    taken_ = false;
    if (error_ != nullptr) std::rethrow_exception(std::exchange(error_, nullptr));
  }

 private:
  static ThreadBeside* Start() {
    auto* beside = new ThreadBeside;
    try {
      std::thread(&ThreadBeside::Serve, beside).detach();
    } catch (const std::system_error&) {
      delete beside;
      return nullptr;
    }
    return beside;
  }

  void Serve() {
    std::unique_lock<std::mutex> hold(mutex_);
    for (;;) {
      asked_.wait(hold, [this] { return part_ != nullptr; });
      const std::function<void()>* part = std::exchange(part_, nullptr);
      hold.unlock();
      std::exception_ptr error;
      try {
        (*part)();
      } catch (...) {
        error = std::current_exception();
      }
      hold.lock();
      error_ = error;
      done_ = true;
      finished_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable asked_;
  std::condition_variable finished_;
  const std::function<void()>* part_ = nullptr;  // handed on, not yet started
  bool taken_ = false;  // from TryRun until the caller's Wait
  bool done_ = false;
  std::exception_ptr error_;
};

}  // namespace

void ReadyTheThreadBeside() { ThreadBeside::Get(); }

void RunBeside(size_t size, size_t worthAThread, const std::function<void()>& aside,
               const std::function<void()>& here) {
  if (size < worthAThread) {
    here();
    aside();
    return;
  }
  if (ThreadBeside* beside = ThreadBeside::Get(); beside != nullptr && beside->TryRun(aside)) {
    try {
      here();
    } catch (...) {
      // `aside` may use what the caller holds: it ends before that goes.
      try {
        beside->Wait();
      } catch (...) {
      }
      throw;
    }
    beside->Wait();
    return;
  }
  // The thread beside is busy, as with a part that itself runs two parts:
  // a thread of the part's own.
  std::future<void> other;
  try {
    other = std::async(std::launch::async, aside);
  } catch (const std::system_error&) {
    // No thread to be had: the same work, one after the other.
  }
  // Should `here` throw, the future waits for `aside` as it goes.
  here();
  if (other.valid()) {
    other.get();
  } else {
    aside();
  }
}
