// Story memory under WASI, which has no mmap: the module's own heap.
#include <new>

#include "platform/PageBuffer.h"

// Pages are the module's own: there is no one to advise.
void AdviseHugePages(void* /*data*/, size_t /*bytes*/) {}

PageBuffer::PageBuffer(size_t bytes) {
  if (bytes == 0) return;
  data_ = ::operator new(bytes, std::nothrow);
  size_ = data_ != nullptr ? bytes : 0;
}

void PageBuffer::Release() {
  ::operator delete(data_);
  data_ = nullptr;
  size_ = 0;
}
