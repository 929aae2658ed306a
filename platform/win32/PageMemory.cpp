// Story memory from VirtualAlloc: committed pages cost nothing until they are
// first touched, as with mmap. Large pages need a privilege a reader does
// not have, so there is no advice to give.
#include <windows.h>

#include "platform/PageBuffer.h"

void AdviseHugePages(void* /*data*/, size_t /*bytes*/) {}

PageBuffer::PageBuffer(size_t bytes) {
  if (bytes == 0) return;
  data_ = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  size_ = data_ != nullptr ? bytes : 0;
}

void PageBuffer::Release() {
  if (data_ != nullptr) VirtualFree(data_, 0, MEM_RELEASE);
  data_ = nullptr;
  size_ = 0;
}
