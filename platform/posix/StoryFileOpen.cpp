// Opening a story file with POSIX calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/StoryFileInput.h"

namespace {

class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  int Get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

bool StoryFileInput::Open(const std::string& path) {
  Close();
  // O_NONBLOCK: opening a FIFO without a writer would otherwise wait for one.
  const FileHandle file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.Get() < 0) return false;
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;

  class Reader : public FileReader {
   public:
    explicit Reader(int fd) : fd_(fd) {}
    int64_t Read(char* into, size_t room) override {
      for (;;) {
        const ssize_t got = ::read(fd_, into, room);
        if (got >= 0 || errno != EINTR) return got;
      }
    }

   private:
    int fd_;
  } reader(file.Get());
  return ReadOpenFile(reader, static_cast<uint64_t>(info.st_size));
}
