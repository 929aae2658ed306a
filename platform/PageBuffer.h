#pragma once

#include <cstddef>

// Memory for a whole story file, taken straight from the system. It is never
// cleared beforehand, so pages nothing writes to cost no memory, and it asks
// for huge pages: filling 100 MB in 4 KiB pages costs some 25,000 page faults.
// Asks for huge pages behind the whole pages of [data, data + bytes); only
// advice, so memory works the same without them.
void AdviseHugePages(void* data, size_t bytes);

class PageBuffer {
 public:
  PageBuffer() = default;
  // Empty (Data() is null) when the system has no room for `bytes`.
  explicit PageBuffer(size_t bytes);
  PageBuffer(PageBuffer&& other) noexcept;
  PageBuffer& operator=(PageBuffer&& other) noexcept;
  PageBuffer(const PageBuffer&) = delete;
  PageBuffer& operator=(const PageBuffer&) = delete;
  ~PageBuffer();

  void* Data() const { return data_; }
  size_t Size() const { return size_; }

 private:
  void Release();

  void* data_ = nullptr;
  size_t size_ = 0;
};
