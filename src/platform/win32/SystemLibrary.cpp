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
  // With a full path this flag also looks for the library's own dependencies
  // in its folder first, so they come from System32 too.
  return UniqueModule(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

}  // namespace updstart::win32
