#include "platform/win32/ShellLibrary.h"

#include "platform/win32/SystemLibrary.h"

namespace updstart::win32 {

ShellFunctions::ShellFunctions()
    : shell(LoadSystemLibrary(L"shell32.dll")), com(LoadSystemLibrary(L"ole32.dll")) {
  if (!shell || !com) load_error = GetLastError();
  browse = SystemFunction<Browse>(shell.get(), "SHBrowseForFolderW");
  path_from_list = SystemFunction<PathFromList>(shell.get(), "SHGetPathFromIDListEx");
  execute = SystemFunction<Execute>(shell.get(), "ShellExecuteExW");
  free = SystemFunction<Free>(com.get(), "CoTaskMemFree");
  // The picker is a COM client, and the shell's start of a program may be;
  // both need the thread in an apartment.
  using Initialize = HRESULT(WINAPI*)(LPVOID, DWORD);
  if (auto initialize = SystemFunction<Initialize>(com.get(), "CoInitializeEx")) {
    initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  }
}

const ShellFunctions& Shell() {
  static const ShellFunctions& functions = *new ShellFunctions;
  return functions;
}

}  // namespace updstart::win32
