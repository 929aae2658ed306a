#include "platform/win32/Win32OpenDialog.h"

#include <commdlg.h>

#include <vector>

#include "platform/win32/WideText.h"

namespace {

// Room for the longest name Windows has (32,767 units and the NUL), so a long
// name typed into the dialog fits instead of failing as too long for the
// buffer.
constexpr size_t NameRoom = 32768;

using GetOpenFileNameFunction = BOOL(WINAPI*)(OPENFILENAMEW*);

// comdlg32 brings shell32 and the printer spooler with it, seven libraries
// that would slow every start: it is loaded at the first Open instead.
GetOpenFileNameFunction OpenFileNameFunction() {
  static const GetOpenFileNameFunction function = [] {
    const HMODULE library = LoadLibraryExW(L"comdlg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library == nullptr) return GetOpenFileNameFunction{};
    // Through void (*)(), the cast GCC accepts between function types.
    const auto untyped = reinterpret_cast<void (*)()>(GetProcAddress(library, "GetOpenFileNameW"));
    return reinterpret_cast<GetOpenFileNameFunction>(untyped);
  }();
  return function;
}

// The dialog makes the chosen file's folder the current one, and a folder
// that is current cannot be removed: a USB stick could not be ejected while
// the reader sits minimized. The flags stay the program's own, so the folder
// is put back instead of asking the dialog not to change it.
class CurrentFolderKept {
 public:
  CurrentFolderKept() {
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    if (length == 0) return;
    folder_.resize(length);
    const DWORD written = GetCurrentDirectoryW(length, folder_.data());
    folder_.resize(written < length ? written : 0);
  }
  CurrentFolderKept(const CurrentFolderKept&) = delete;
  CurrentFolderKept& operator=(const CurrentFolderKept&) = delete;
  ~CurrentFolderKept() {
    if (!folder_.empty()) SetCurrentDirectoryW(folder_.c_str());
  }

 private:
  std::wstring folder_;
};

}  // namespace

std::wstring DialogFilterFrom(std::u16string_view filter) {
  std::wstring parts = WideFrom(filter);
  for (wchar_t& unit : parts) {
    if (unit == L'|') unit = L'\0';
  }
  // A filter must end in two NULs: one after its last part, one more.
  if (!parts.empty()) parts += L'\0';
  parts += L'\0';
  return parts;
}

std::optional<std::string> RunOpenDialog(HWND owner, const OpenDialogSetup& setup) {
  const std::wstring title = WideFrom(setup.Title);
  const std::wstring filter = DialogFilterFrom(setup.Filter);
  std::vector<wchar_t> name(NameRoom, L'\0');
  const std::wstring start = WideFrom(setup.FileName.substr(0, NameRoom - 1));
  std::copy(start.begin(), start.end(), name.begin());

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.size() > 1 ? filter.c_str() : nullptr;
  dialog.nFilterIndex = static_cast<DWORD>(setup.FilterIndex);
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = static_cast<DWORD>(setup.Flags);

  const std::optional<std::string> cancelled =
      setup.CancelError ? std::nullopt : std::optional<std::string>(std::string());
  // Cancel and every failure of the dialog itself (CommDlgExtendedError) end
  // the same way: no story is opened.
  const GetOpenFileNameFunction getOpenFileName = OpenFileNameFunction();
  const CurrentFolderKept folder;
  if (getOpenFileName == nullptr || !getOpenFileName(&dialog)) return cancelled;
  const std::optional<std::string> chosen = Utf8FromWide(name.data());
  if (!chosen || chosen->empty()) return cancelled;
  return chosen;
}
