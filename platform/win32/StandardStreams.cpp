// The standard handles are read and written with ReadFile and WriteFile, so
// the C runtime's text mode (CR LF turned into LF, Ctrl+Z taken as the end)
// never sees the bytes; the runtime's own streams are made binary as well for
// anything else that writes to them.
#include "platform/StandardStreams.h"

// clang-format off
#include <windows.h>
// clang-format on
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>

// The client makes the pipe, and its size with it.
void WidenStandardOutputPipe() {}

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

int64_t ReadStandardInput(char* into, size_t room) {
  const DWORD ask = static_cast<DWORD>(std::min<size_t>(room, 1u << 30));
  DWORD got = 0;
  if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), into, ask, &got, nullptr)) {
    // A pipe whose writer has gone reports the end of input as an error.
    return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
  }
  return got;
}

bool WriteStandardOutput(const char* data, size_t size) {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
    DWORD put = 0;
    if (!WriteFile(out, data, chunk, &put, nullptr) || put == 0) return false;
    data += put;
    size -= put;
  }
  return true;
}
