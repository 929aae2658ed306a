#include "tools/vln/reading/RunBeside.h"

#include <future>
#include <system_error>

void RunBeside(size_t lines, size_t worthAThread, const std::function<void()>& aside,
               const std::function<void()>& here) {
  std::future<void> beside;
  if (lines >= worthAThread) {
    try {
      beside = std::async(std::launch::async, aside);
    } catch (const std::system_error&) {
      // No thread to be had: the same work, one after the other.
    }
  }
  // Should `here` throw, the future waits for `aside` as it goes.
  here();
  if (beside.valid()) {
    beside.get();
  } else {
    aside();
  }
}
