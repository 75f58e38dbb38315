#include "platform/win32/ShellLibrary.h"

#include "platform/win32/SystemLibrary.h"

namespace updstart::win32 {

ShellFunctions::ShellFunctions() {
  // Each error is read right after its load: the next load may change it.
  const auto load = [this](const wchar_t* dll_name) {
    UniqueModule module = LoadSystemLibrary(dll_name);
    if (!module && !failed_library) {
      const DWORD error = GetLastError();
      failed_library = dll_name;
      load_error = error != ERROR_SUCCESS ? error : ERROR_MOD_NOT_FOUND;
    }
    return module;
  };
  shell = load(L"shell32.dll");
  com = load(L"ole32.dll");
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
