#include "platform/win32/FolderPicker.h"

#include <vector>

#include "platform/win32/Diagnostics.h"
#include "platform/win32/ShellLibrary.h"
#include "platform/win32/UniqueHandle.h"

namespace updstart::win32 {

namespace {

void FreeItemList(PIDLIST_ABSOLUTE list) { Shell().free(list); }

using UniqueItemList = UniqueHandle<PIDLIST_ABSOLUTE, &FreeItemList>;

}  // namespace

std::wstring BrowseForFolder(HWND owner, std::wstring_view prompt, std::uint32_t flags) {
  const ShellFunctions& shell = Shell();
  if (!shell.browse || !shell.path_from_list || !shell.free) {
    // The user chose the folder option and sees no picker: say why, and of
    // which library. With both loaded, one lacks a function.
    if (shell.failed_library) {
      ReportFailure(EventId::FolderPickerNotOpened, L"could not open the folder picker",
                    shell.failed_library, shell.load_error);
    } else {
      ReportFailure(EventId::FolderPickerNotOpened, L"could not open the folder picker",
                    shell.free ? L"shell32.dll" : L"ole32.dll", ERROR_PROC_NOT_FOUND);
    }
    return {};
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
  return {path.data()};
}

}  // namespace updstart::win32
