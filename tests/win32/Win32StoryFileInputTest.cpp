#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/StoryFileInput.h"
#include "tests/TempFolder.h"

namespace {

using namespace std::string_view_literals;

// File names cross the program in UTF-8.
std::string Utf8Name(const std::filesystem::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

// Writes a file by its UTF-16 name, which may be in the "\\?\" form.
bool Put(const std::wstring& name, std::string_view bytes) {
  const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  return ok;
}

std::vector<std::u16string> Lines(StoryFileInput& input) {
  std::vector<std::u16string> lines;
  std::u16string_view line;
  while (input.ReadLine(line) == TextFileInput::ReadResult::Line) lines.emplace_back(line);
  return lines;
}

// A pipe with a server waiting on it: it opens like a file, and a reader
// that went on to read it would wait for the server forever.
class PipeServer {
 public:
  PipeServer() {
    name_ = L"\\\\.\\pipe\\velnori-test-" + std::to_wstring(GetCurrentProcessId());
    handle_ = CreateNamedPipeW(name_.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 4,
                               4096, 4096, 0, nullptr);
  }
  ~PipeServer() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  bool Ready() const { return handle_ != INVALID_HANDLE_VALUE; }
  std::string Name() const { return std::string(name_.begin(), name_.end()); }

 private:
  std::wstring name_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Sizes a file without writing it, as a file system hands out big files.
bool GrowTo(const std::filesystem::path& path, int64_t size) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD ignored = 0;
  DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = size;
  const bool grown = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return grown;
}

// Every name a reader could type into the Open dialog on Windows: only a
// regular disk file opens, nothing waits, and the size limit is judged
// before the file is read.
TEST(Win32StoryFileInput, OpensOnlyRegularDiskFilesByTheirUtf16Names) {
  TempFolder folder;
  ASSERT_FALSE(folder.Path().empty());
  const std::filesystem::path japaneseFolder = folder.Path() / u8"物語";
  ASSERT_TRUE(std::filesystem::create_directory(japaneseFolder));
  const std::string story = "\x82\xA0\x82\xA2\r\n[x]y";  // あい in code page 932
  const std::vector<std::u16string> storyLines = {u"あい", u"[x]y"};
  ASSERT_TRUE(Put(japaneseFolder / u8"朝の話.vln", story));
  // Hangul and an emoji: no ANSI code page holds both, only UTF-16 names do.
  const std::filesystem::path unicodeName = folder.Path() / u8"이야기😀.vln";
  ASSERT_TRUE(Put(unicodeName, story));
  // Deeper than MAX_PATH (260 units) allows without the "\\?\" form.
  std::wstring deep = L"\\\\?\\" + std::filesystem::absolute(folder.Path()).wstring();
  for (int i = 0; i < 6; ++i) {
    deep += L"\\" + std::wstring(50, static_cast<wchar_t>(L'a' + i));
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
  }
  ASSERT_TRUE(Put(deep + L"\\story.vln", story));
  const std::filesystem::path deepStory = deep.substr(4) + L"\\story.vln";
  ASSERT_GT(deepStory.native().size(), 300u);

  const std::filesystem::path huge = folder.Path() / "huge.vln";
  ASSERT_TRUE(Put(huge, "abc"sv));
  ASSERT_TRUE(GrowTo(huge, int64_t{1} << 31));
  const std::filesystem::path hugeUtf16 = folder.Path() / "huge16.vln";
  ASSERT_TRUE(Put(hugeUtf16, "\xFF\xFE"sv));
  ASSERT_TRUE(GrowTo(hugeUtf16, (int64_t{1} << 32) + 2));

  PipeServer pipe;
  ASSERT_TRUE(pipe.Ready());

  const struct {
    const char* why;
    std::string name;
    std::optional<std::vector<std::u16string>> lines;  // nothing: refused
  } cases[] = {
      {"Japanese folder and file name", Utf8Name(japaneseFolder / u8"朝の話.vln"), storyLines},
      {"a name no ANSI code page can spell", Utf8Name(unicodeName), storyLines},
      {"a name longer than MAX_PATH", Utf8Name(deepStory), storyLines},
      {"forward slashes", Utf8Name(folder.Path()) + U8(u8"/物語/朝の話.vln"), storyLines},
      {"a folder", Utf8Name(japaneseFolder), std::nullopt},
      {"missing file", Utf8Name(japaneseFolder / u8"無い.vln"), std::nullopt},
      {"missing folder", Utf8Name(folder.Path() / "none" / "story.vln"), std::nullopt},
      {"empty name", "", std::nullopt},
      {"a name that is no UTF-8", Utf8Name(folder.Path()) + "\\\xFF.vln", std::nullopt},
      {"NUL device", "NUL", std::nullopt},
      {"NUL device in a folder", Utf8Name(folder.Path() / "nul"), std::nullopt},
      {"console", "CON", std::nullopt},
      {"serial port", "COM1", std::nullopt},
      {"NUL by its device name", "\\\\.\\NUL", std::nullopt},
      {"a pipe with a server waiting", pipe.Name(), std::nullopt},
      {"2 GiB of single bytes could pass the 32-bit limit", Utf8Name(huge), std::nullopt},
      {"UTF-16: 2^31 units after the mark", Utf8Name(hugeUtf16), std::nullopt},
  };
  for (const auto& c : cases) {
    StoryFileInput input;
    const auto start = std::chrono::steady_clock::now();
    const bool opened = input.Open(c.name);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(opened, c.lines.has_value()) << c.why;
    EXPECT_LT(took, std::chrono::seconds(5)) << c.why << ": opening must not wait";
    if (opened && c.lines) {
      EXPECT_EQ(Lines(input), *c.lines) << c.why;
    }
  }
}

// The limit at a scale that can be read, file and memory alike.
TEST(Win32StoryFileInput, KeepsTheTextWithinTheLimit) {
  constexpr uint64_t Limit = 12;
  const struct {
    std::string_view bytes;
    bool fits;
  } cases[] = {
      {"0123456789"sv, true},
      {"01234567890"sv, false},
      {"\r\r\r\r\r\r"sv, true},
      {"\r\r\r\r\r\r\r"sv, false},
      {"\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80" "a"sv, false},
  };
  TempFolder folder;
  for (const auto& c : cases) {
    StoryFileInput input(Limit);
    ASSERT_TRUE(Put(folder.Path() / "story.vln", c.bytes));
    EXPECT_EQ(input.Open(Utf8Name(folder.Path() / "story.vln")), c.fits) << c.bytes;
  }
}

}  // namespace
