#include "platform/win32/ConsoleText.h"

#include <algorithm>
#include <string_view>

namespace {

// How many leading bytes of `bytes` end on a character boundary: a lead byte
// near the end whose continuation bytes are not all there is held back.
size_t CompleteUtf8Prefix(std::string_view bytes) {
  const size_t size = bytes.size();
  for (size_t back = 1; back <= 3 && back <= size; ++back) {
    const auto byte = static_cast<unsigned char>(bytes[size - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? size - back : size;
  }
  return size;
}

// Calls `write` until all of `units` is written; it may take fewer at once.
template <typename Unit, typename Write>
bool WriteAll(const Unit* units, size_t count, Write write) {
  while (count > 0) {
    DWORD wrote = 0;
    if (!write(units, static_cast<DWORD>(count), &wrote) || wrote == 0) return false;
    units += wrote;
    count -= wrote;
  }
  return true;
}

}  // namespace

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

ConsoleOutputBuffer::ConsoleOutputBuffer(HANDLE handle)
    : handle_(handle), console_(IsConsole(handle)) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

ConsoleOutputBuffer::int_type ConsoleOutputBuffer::overflow(int_type c) {
  if (!Drain()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

int ConsoleOutputBuffer::sync() { return Drain() ? 0 : -1; }

bool ConsoleOutputBuffer::Drain() {
  const std::string_view held(pbase(), static_cast<size_t>(pptr() - pbase()));
  const size_t ready = console_ ? CompleteUtf8Prefix(held) : held.size();
  const bool written =
      console_ ? WriteWide(held.data(), ready) : WriteBytes(held.data(), ready);
  // The few bytes of an unfinished character move to the front.
  const size_t rest = held.size() - ready;
  std::copy(held.data() + ready, held.data() + held.size(), buffer_.data());
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  pbump(static_cast<int>(rest));
  return written;
}

bool ConsoleOutputBuffer::WriteBytes(const char* bytes, size_t size) {
  return WriteAll(bytes, size, [this](const char* from, DWORD count, DWORD* wrote) {
    return WriteFile(handle_, from, count, wrote, nullptr);
  });
}

bool ConsoleOutputBuffer::WriteWide(const char* bytes, size_t size) {
  if (size == 0) return true;
  // Ill-formed bytes become U+FFFD, as a terminal shows them.
  const int length = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), nullptr, 0);
  if (length <= 0) return false;
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), wide.data(), length);
  return WriteAll(wide.data(), wide.size(), [this](const wchar_t* from, DWORD count, DWORD* wrote) {
    return WriteConsoleW(handle_, from, count, wrote, nullptr);
  });
}

ConsoleInputBuffer::int_type ConsoleInputBuffer::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  while (!ended_) {
    wchar_t typed[1024];
    size_t count = 0;
    if (pendingHigh_ != 0) typed[count++] = pendingHigh_;
    pendingHigh_ = 0;
    DWORD read = 0;
    if (!ReadConsoleW(handle_, typed + count, static_cast<DWORD>(std::size(typed) - count), &read,
                      nullptr) ||
        read == 0) {
      ended_ = true;
      break;
    }
    count += read;
    if (typed[0] == L'\x1A') {
      ended_ = true;
      break;
    }
    if (typed[count - 1] >= 0xD800 && typed[count - 1] <= 0xDBFF) pendingHigh_ = typed[--count];
    if (count == 0) continue;
    const int size = WideCharToMultiByte(CP_UTF8, 0, typed, static_cast<int>(count), nullptr, 0,
                                         nullptr, nullptr);
    if (size <= 0) continue;
    text_.assign(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, typed, static_cast<int>(count), text_.data(), size, nullptr,
                        nullptr);
    setg(text_.data(), text_.data(), text_.data() + text_.size());
    return traits_type::to_int_type(*gptr());
  }
  return traits_type::eof();
}
