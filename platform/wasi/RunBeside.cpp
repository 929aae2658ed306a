// WASI has no threads: the two parts run one after the other, here.
#include "tools/vln/reading/RunBeside.h"

void ReadyTheThreadBeside() {}

void RunBeside(size_t /*size*/, size_t /*worthAThread*/, const std::function<void()>& aside,
               const std::function<void()>& here) {
  here();
  aside();
}
