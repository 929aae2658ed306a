// Opening a story file with Win32 calls, by its UTF-16 name.
#include <windows.h>

#include "platform/StoryFileInput.h"
#include "platform/win32/WideText.h"

namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

// A name longer than MAX_PATH opens only in the "\\?\" form, which takes the
// name literally: it is made absolute and normalized first.
std::wstring OpenableName(const std::wstring& name) {
  if (name.size() < MAX_PATH || name.starts_with(L"\\\\?\\")) return name;
  const DWORD length = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (length == 0) return name;
  std::wstring full(length, L'\0');
  const DWORD written = GetFullPathNameW(name.c_str(), length, full.data(), nullptr);
  if (written == 0 || written >= length) return name;
  full.resize(written);
  if (full.starts_with(L"\\\\.\\")) return name;
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace

bool StoryFileInput::Open(const std::string& path) {
  Close();
  const std::optional<std::wstring> name = WideFromUtf8(path);
  if (!name || name->empty() || name->find(L'\0') != std::wstring::npos) return false;
  // Opening never waits: a directory does not open without backup
  // semantics, and a pipe whose instances are busy fails at once. What
  // opens but is no disk file (NUL, CON, COM1, a pipe) is refused before a
  // byte is read, since reading a pipe or a console would wait.
  const FileHandle file(CreateFileW(OpenableName(*name).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (file.Get() == INVALID_HANDLE_VALUE) return false;
  if (GetFileType(file.Get()) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.Get(), &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return false;
  }
  const uint64_t size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;

  class Reader : public FileReader {
   public:
    explicit Reader(HANDLE handle) : handle_(handle) {}
    int64_t Read(char* into, size_t room) override {
      // ReadFile counts in a DWORD; a gigabyte at a time stays well within it.
      const DWORD asked = room > 0x40000000 ? 0x40000000 : static_cast<DWORD>(room);
      DWORD got = 0;
      if (!ReadFile(handle_, into, asked, &got, nullptr)) return -1;
      return got;
    }

   private:
    HANDLE handle_;
  } reader(file.Get());
  return ReadOpenFile(reader, size);
}
