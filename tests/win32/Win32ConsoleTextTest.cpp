// vln.exe's text on a real console (Wine's), and its arguments.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "platform/ConsoleProgram.h"
#include "platform/win32/ArgumentWildcards.h"
#include "platform/win32/ConsoleText.h"
#include "tests/TempFolder.h"

namespace {

// A console of the test's own, so that what is written can be read back off
// its screen and what is typed can be put into its input.
class OwnConsole : public ::testing::Test {
 protected:
  void SetUp() override {
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    output_ = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, 0, nullptr);
    input_ = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(output_, INVALID_HANDLE_VALUE);
    ASSERT_NE(input_, INVALID_HANDLE_VALUE);
  }
  void TearDown() override {
    CloseHandle(output_);
    CloseHandle(input_);
    FreeConsole();
  }

  std::wstring ScreenLine(SHORT row, DWORD length) const {
    std::wstring text(length, L'\0');
    DWORD read = 0;
    ReadConsoleOutputCharacterW(output_, text.data(), length, COORD{0, row}, &read);
    text.resize(read);
    return text;
  }

  void Type(std::wstring_view text) const {
    std::vector<INPUT_RECORD> keys;
    for (const wchar_t unit : text) {
      INPUT_RECORD key{};
      key.EventType = KEY_EVENT;
      key.Event.KeyEvent.bKeyDown = TRUE;
      key.Event.KeyEvent.wRepeatCount = 1;
      key.Event.KeyEvent.wVirtualKeyCode = unit == L'\r' ? VK_RETURN : 0;
      key.Event.KeyEvent.uChar.UnicodeChar = unit;
      keys.push_back(key);
      key.Event.KeyEvent.bKeyDown = FALSE;
      keys.push_back(key);
    }
    DWORD written = 0;
    WriteConsoleInputW(input_, keys.data(), static_cast<DWORD>(keys.size()), &written);
  }

  HANDLE output_ = INVALID_HANDLE_VALUE;
  HANDLE input_ = INVALID_HANDLE_VALUE;
};

// UTF-8 reaches the console as the characters it stands for, whatever its
// code page, even when a character's bytes arrive in two writes.
TEST_F(OwnConsole, ShowsUtf8AsCharacters) {
  ASSERT_TRUE(SetConsoleOutputCP(932));
  ConsoleOutputBuffer buffer(output_);
  std::ostream out(&buffer);
  const std::string map = "地図.dot を書いた";
  out << map.substr(0, 1) << std::flush << map.substr(1, 4) << std::flush << map.substr(5) << "\n"
      << std::flush;
  EXPECT_EQ(ScreenLine(0, 11), L"地図.dot を書いた");
  EXPECT_EQ(GetConsoleOutputCP(), 932u);
}

// Japanese typed at the console comes in whole, as UTF-8.
TEST_F(OwnConsole, ReadsTypedJapanese) {
  Type(L"file:物語.vln\rdown\r");
  ConsoleInputBuffer buffer(input_);
  std::istream in(&buffer);
  std::string line;
  ASSERT_TRUE(std::getline(in, line));
  EXPECT_EQ(line, "file:物語.vln\r");
  ASSERT_TRUE(std::getline(in, line));
  EXPECT_EQ(line, "down\r");
}

// The program leaves the console's code pages as it found them, so that
// later programs and .bat files in the same window print as before.
TEST_F(OwnConsole, KeepsTheCodePages) {
  ASSERT_TRUE(SetConsoleOutputCP(932));
  ASSERT_TRUE(SetConsoleCP(932));
  std::streambuf* const out = std::cout.rdbuf();
  std::streambuf* const err = std::cerr.rdbuf();
  std::streambuf* const in = std::cin.rdbuf();
  StartConsoleProgram(0, nullptr);
  const UINT outputPage = GetConsoleOutputCP();
  const UINT inputPage = GetConsoleCP();
  std::cout.rdbuf(out);
  std::cerr.rdbuf(err);
  std::cin.rdbuf(in);
  EXPECT_EQ(outputPage, 932u);
  EXPECT_EQ(inputPage, 932u);
}

// Redirected, the bytes go out unchanged: the same bytes as on Linux.
TEST(ConsoleText, RedirectedBytesPassUnchanged) {
  const TempFolder folder;
  const std::wstring name = (folder.Path() / L"out.txt").wstring();
  const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  {
    ConsoleOutputBuffer buffer(file);
    std::ostream out(&buffer);
    out << "朝\n" << std::string("\xE6\x9C", 2) << std::flush << "\xC0\n" << std::flush;
  }
  CloseHandle(file);
  std::ifstream written(folder.Path() / L"out.txt", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(written)), {});
  EXPECT_EQ(bytes, "朝\n\xE6\x9C\xC0\n");
}

TEST(ArgumentWildcards, ExpandAsWindowsProgramsDo) {
  const TempFolder folder;
  for (const wchar_t* name : {L"b.vln", L"A.vln", L"物語.vln", L"notes.txt"}) {
    std::ofstream(folder.Path() / name) << "x";
  }
  std::filesystem::create_directory(folder.Path() / L"sub");
  const std::wstring at = folder.Path().wstring() + L"\\";
  const struct {
    const char* why;
    std::wstring argument;
    std::vector<std::wstring> expected;
  } cases[] = {
      {"every match, by name", at + L"*.vln", {at + L"A.vln", at + L"b.vln", at + L"物語.vln"}},
      {"? is one character", at + L"?.vln", {at + L"A.vln", at + L"b.vln"}},
      {"a folder written with /", folder.Path().wstring() + L"/物*",
       {folder.Path().wstring() + L"/物語.vln"}},
      {"no match stays as written", at + L"*.dot", {at + L"*.dot"}},
      {"no wildcard is taken as it is", L"物語.vln", {L"物語.vln"}},
      {"not into folders' names", at + L"s*\\*.vln", {at + L"s*\\*.vln"}},
      {"\\\\?\\ names are literal", L"\\\\?\\" + at + L"*.vln", {L"\\\\?\\" + at + L"*.vln"}},
  };
  for (const auto& c : cases) EXPECT_EQ(ExpandWildcards(c.argument), c.expected) << c.why;
}

}  // namespace
