#include "platform/win32/FolderPicker.h"

#include <shlobj.h>

#include <vector>

#include "platform/win32/SystemLibrary.h"
#include "platform/win32/UniqueHandle.h"

namespace updstart::win32 {

namespace {

// Loaded on first use and kept for the rest of the process.
struct ShellFunctions {
  using Browse = PIDLIST_ABSOLUTE(WINAPI*)(LPBROWSEINFOW);
  using PathFromList = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, PWSTR, DWORD, GPFIDL_FLAGS);
  using Free = void(WINAPI*)(LPVOID);
  using Initialize = HRESULT(WINAPI*)(LPVOID, DWORD);

  ShellFunctions()
      : shell(LoadSystemLibrary(L"shell32.dll")), com(LoadSystemLibrary(L"ole32.dll")) {
    browse = SystemFunction<Browse>(shell.get(), "SHBrowseForFolderW");
    path_from_list = SystemFunction<PathFromList>(shell.get(), "SHGetPathFromIDListEx");
    free = SystemFunction<Free>(com.get(), "CoTaskMemFree");
    // The picker is a COM client; it needs the thread in an apartment.
    if (auto initialize = SystemFunction<Initialize>(com.get(), "CoInitializeEx")) {
      initialize(nullptr, COINIT_APARTMENTTHREADED);
    }
  }
  bool usable() const { return browse && path_from_list && free; }

  UniqueModule shell;
  UniqueModule com;
  Browse browse = nullptr;
  PathFromList path_from_list = nullptr;
  Free free = nullptr;
};

const ShellFunctions& Shell() {
  // Never destroyed, so never unloaded: the shell may still have threads of
  // its own running its code when the program ends.
  static const ShellFunctions& functions = *new ShellFunctions;
  return functions;
}

void FreeItemList(PIDLIST_ABSOLUTE list) { Shell().free(list); }

using UniqueItemList = UniqueHandle<PIDLIST_ABSOLUTE, &FreeItemList>;

}  // namespace

std::wstring BrowseForFolder(HWND owner, std::wstring_view prompt, std::uint32_t flags) {
  const ShellFunctions& shell = Shell();
  if (!shell.usable()) return {};
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
