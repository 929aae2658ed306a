#include "platform/StandardStreams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

void UseBinaryStandardStreams() {}

void WidenStandardOutputPipe() {
#ifdef F_SETPIPE_SZ
  // Linux's default limit for an unprivileged process. A system set lower
  // refuses, and the pipe keeps its size: nothing is lost but the speed.
  constexpr int Widest = 1 << 20;
  (void)fcntl(STDOUT_FILENO, F_SETPIPE_SZ, Widest);
#endif
}

int64_t ReadStandardInput(char* into, size_t room) {
  for (;;) {
    const ssize_t got = ::read(STDIN_FILENO, into, room);
    if (got >= 0) return got;
    if (errno != EINTR) return -1;
  }
}

bool WriteStandardOutput(const char* data, size_t size) {
  while (size > 0) {
    const ssize_t put = ::write(STDOUT_FILENO, data, size);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}
