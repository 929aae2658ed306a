// A story file's bytes for a browser page, beside the server's own exports
// (lsp/LspPush.cpp): read by the reader's decoder, and written back in code
// page 932 by the same table, so a page that opens and saves a story holds no
// rule of its own about its bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/StoryDecoder.h"

namespace {

// A block the host reads: two 32-bit words, then `size` bytes.
uint32_t* Answer(uint32_t first, uint32_t second, const void* data, size_t size) {
  auto* block = static_cast<uint32_t*>(std::malloc(8 + size));
  block[0] = first;
  block[1] = second;
  if (size > 0) std::memcpy(block + 2, data, size);
  return block;
}

}  // namespace

extern "C" {

__attribute__((export_name("vln_alloc"))) void* VlnAlloc(size_t size) { return std::malloc(size > 0 ? size : 1); }

__attribute__((export_name("vln_free"))) void VlnFree(void* block) { std::free(block); }

// Decodes `size` bytes from vln_alloc, and frees them. The answer: the number
// of UTF-16 units, the encoding (as StoryEncoding counts), then the units.
__attribute__((export_name("vln_decode"))) uint32_t* VlnDecode(char* bytes, size_t size) {
  const std::string_view view(bytes, size);
  std::u16string text = DecodeStory(view);
  MendLoneSurrogates(text.data(), text.size());
  uint32_t* answer = Answer(static_cast<uint32_t>(text.size()), static_cast<uint32_t>(DetectStoryEncoding(view)),
                            text.data(), text.size() * sizeof(char16_t));
  std::free(bytes);
  return answer;
}

// Writes `count` UTF-16 units from vln_alloc in code page 932, and frees them.
// The answer: the index of the first unit that has no code (all ones when
// every unit had one), the number of bytes, then the bytes.
__attribute__((export_name("vln_encode_cp932"))) uint32_t* VlnEncodeCp932(char16_t* units, size_t count) {
  std::string bytes;
  const size_t missing = EncodeCp932(std::u16string_view(units, count), bytes);
  std::free(units);
  return Answer(missing == std::u16string_view::npos ? UINT32_MAX : static_cast<uint32_t>(missing),
                static_cast<uint32_t>(bytes.size()), bytes.data(), bytes.size());
}

}  // extern "C"
