#include "platform/PageBuffer.h"

#include <sys/mman.h>

#include <new>
#include <utility>

// Under AddressSanitizer the buffer comes from the heap, where every read or
// write past its end is caught.
#if defined(__SANITIZE_ADDRESS__)
#define VELNORI_HEAP_BUFFER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELNORI_HEAP_BUFFER 1
#endif
#endif

PageBuffer::PageBuffer(size_t bytes) {
  if (bytes == 0) return;
#ifdef VELNORI_HEAP_BUFFER
  data_ = ::operator new(bytes, std::nothrow);
  size_ = data_ != nullptr ? bytes : 0;
#else
  void* data = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (data == MAP_FAILED) return;
  // Only advice: without transparent huge pages the buffer works the same.
  ::madvise(data, bytes, MADV_HUGEPAGE);
  data_ = data;
  size_ = bytes;
#endif
}

PageBuffer::PageBuffer(PageBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

PageBuffer& PageBuffer::operator=(PageBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

PageBuffer::~PageBuffer() { Release(); }

void PageBuffer::Release() {
#ifdef VELNORI_HEAP_BUFFER
  ::operator delete(data_);
#else
  if (data_ != nullptr) ::munmap(data_, size_);
#endif
  data_ = nullptr;
  size_ = 0;
}
