#include "platform/win32/FolderPicker.h"

#include <vector>

#include "platform/win32/ShellLibrary.h"
#include "platform/win32/UniqueHandle.h"

namespace updstart::win32 {

namespace {

void FreeItemList(PIDLIST_ABSOLUTE list) { Shell().free(list); }

using UniqueItemList = UniqueHandle<PIDLIST_ABSOLUTE, &FreeItemList>;

}  // namespace

FolderChoice BrowseForFolder(HWND owner, std::wstring_view prompt, std::uint32_t flags) {
  const ShellFunctions& shell = Shell();
  if (!shell.browse || !shell.path_from_list || !shell.free) {
    // With both libraries loaded, one lacks a function.
    if (shell.failed_library) return {L"", shell.load_error, shell.failed_library};
    return {L"", ERROR_PROC_NOT_FOUND, shell.free ? L"shell32.dll" : L"ole32.dll"};
  }
  const std::wstring title(prompt);
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.lpszTitle = title.c_str();
  info.ulFlags = flags;
  UniqueItemList chosen(shell.browse(&info));
  if (!chosen) return {};
  // Room for the longest path Windows has, not only for MAX_PATH: a longer
  // one would otherwise come back as no path at all.
  constexpr DWORD kLongestPath = 32768;
  std::vector<wchar_t> path(kLongestPath, L'\0');
  if (!shell.path_from_list(chosen.get(), path.data(), kLongestPath, GPFIDL_DEFAULT)) return {};
  return {std::wstring(path.data()), 0, L""};
}

}  // namespace updstart::win32
