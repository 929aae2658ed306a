// Story memory from mmap, with huge pages asked for by madvise.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <new>

#include "platform/PageBuffer.h"

// Under AddressSanitizer the buffer comes from the heap, where every read or
// write past its end is caught.
#if defined(__SANITIZE_ADDRESS__)
#define VELNORI_HEAP_BUFFER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELNORI_HEAP_BUFFER 1
#endif
#endif

void AdviseHugePages(void* data, size_t bytes) {
#ifndef VELNORI_HEAP_BUFFER
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  if (pageSize <= 0 || data == nullptr) return;
  const auto page = static_cast<uintptr_t>(pageSize);
  const auto begin = (reinterpret_cast<uintptr_t>(data) + page - 1) & ~(page - 1);
  const auto end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(page - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

PageBuffer::PageBuffer(size_t bytes) {
  if (bytes == 0) return;
#ifdef VELNORI_HEAP_BUFFER
  data_ = ::operator new(bytes, std::nothrow);
  size_ = data_ != nullptr ? bytes : 0;
#else
  void* data = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (data == MAP_FAILED) return;
  AdviseHugePages(data, bytes);
  data_ = data;
  size_ = bytes;
#endif
}

void PageBuffer::Release() {
#ifdef VELNORI_HEAP_BUFFER
  ::operator delete(data_);
#else
  if (data_ != nullptr) ::munmap(data_, size_);
#endif
  data_ = nullptr;
  size_ = 0;
}
