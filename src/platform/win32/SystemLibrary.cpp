#include "platform/win32/SystemLibrary.h"

#include <string>

namespace updstart::win32 {

UniqueModule LoadSystemLibrary(const wchar_t* dll_name) {
  std::wstring path(MAX_PATH, L'\0');
  UINT length = GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size()));
  if (length >= path.size()) {
    path.assign(length, L'\0');
    length = GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size()));
  }
  if (length == 0 || length >= path.size()) return {};
  path.resize(length);
  path += L'\\';
  path += dll_name;
  // A full path alone finds the library itself; this flag makes its own
  // dependencies be looked for beside it too, never in the program's folder,
  // also on a Windows where the default search could not be narrowed.
  return UniqueModule(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

}  // namespace updstart::win32
