// The real Open dialog, answered by a second thread as a user would.
#include <gtest/gtest.h>
#include <windows.h>
#include <dlgs.h>

#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "platform/win32/Win32OpenDialog.h"
#include "tests/TempFolder.h"

namespace {

std::wstring CurrentFolder() {
  wchar_t folder[MAX_PATH * 4] = {};
  GetCurrentDirectoryW(static_cast<DWORD>(std::size(folder)), folder);
  return folder;
}

void Type(HWND dialog, const std::wstring& text) {
  for (const int field : {cmb13, edt1}) SetDlgItemTextW(dialog, field, text.c_str());
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

// Once the dialog titled `title` shows, goes into `folder` as a user does
// (which makes it the current folder), then chooses `name` there.
void AnswerDialog(const wchar_t* title, const std::wstring& folder, const std::wstring& name) {
  for (int wait = 0; wait < 600; ++wait) {
    const HWND dialog = FindWindowW(L"#32770", title);
    if (dialog != nullptr && IsWindowVisible(dialog)) {
      Type(dialog, folder);
      Type(dialog, name);
      return;
    }
    Sleep(50);
  }
}

// The chosen story's folder does not stay the process's current one (it
// could not be removed, nor its stick ejected), and the flags are untouched.
TEST(Win32OpenDialog, LeavesTheCurrentFolderAsItWas) {
  const TempFolder temp;
  const std::filesystem::path stories = temp.Path() / L"物語の棚";
  std::filesystem::create_directory(stories);
  const std::filesystem::path story = stories / L"朝.vln";
  temp.Write("x", "");
  std::filesystem::copy_file(temp.Path() / "x", story);
  const std::wstring before = temp.Path().wstring();
  ASSERT_TRUE(SetCurrentDirectoryW(before.c_str()));

  OpenDialogSetup setup;
  setup.Title = u"ファイルを開く";
  setup.Filter = u"Velnoriファイル(*.vln)|*.vln";
  setup.Flags = 4;
  std::thread user(AnswerDialog, L"ファイルを開く", stories.wstring(), L"朝.vln");
  const std::optional<std::string> chosen = RunOpenDialog(nullptr, setup);
  user.join();

  const std::u8string expected = story.u8string();
  EXPECT_EQ(chosen, std::string(expected.begin(), expected.end()));
  EXPECT_EQ(CurrentFolder(), before);
  SetCurrentDirectoryW(std::filesystem::temp_directory_path().wstring().c_str());
}

}  // namespace
