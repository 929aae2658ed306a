#include "platform/win32/ArgumentWildcards.h"

#include <windows.h>

#include <algorithm>

namespace {

bool NameBefore(const std::wstring& a, const std::wstring& b) {
  const int order = CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                         static_cast<int>(b.size()), TRUE);
  return order == CSTR_LESS_THAN || (order == CSTR_EQUAL && a < b);
}

}  // namespace

std::vector<std::wstring> ExpandWildcards(const std::wstring& argument) {
  // A "\\?\" name is taken literally by Windows, so it is here too.
  if (argument.find_first_of(L"*?") == std::wstring::npos || argument.starts_with(L"\\\\?\\")) {
    return {argument};
  }
  const size_t folderEnd = argument.find_last_of(L"\\/:");
  const std::wstring folder =
      folderEnd == std::wstring::npos ? std::wstring() : argument.substr(0, folderEnd + 1);
  // A wildcard in a folder's name does not expand on Windows either.
  if (folder.find_first_of(L"*?") != std::wstring::npos) return {argument};

  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileExW(argument.c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return {argument};
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  if (names.empty()) return {argument};
  std::sort(names.begin(), names.end(), NameBefore);
  for (std::wstring& name : names) name.insert(0, folder);
  return names;
}
