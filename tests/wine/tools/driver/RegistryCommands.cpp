#include <windows.h>

#include <string>

#include "Commands.h"

namespace driver {

HKEY RegistryRoot(const std::wstring& path, std::wstring& subkey) {
  const std::size_t slash = path.find(L'\\');
  const std::wstring root = path.substr(0, slash);
  subkey = slash == std::wstring::npos ? L"" : path.substr(slash + 1);
  if (root == L"HKLM" || root == L"HKEY_LOCAL_MACHINE") return HKEY_LOCAL_MACHINE;
  if (root == L"HKCU" || root == L"HKEY_CURRENT_USER") return HKEY_CURRENT_USER;
  return nullptr;
}

// Stores a REG_SZ whose counted bytes end without a NUL, as a careless
// installer may leave it. Wine appends the NUL itself whenever the character
// after the counted data is one, so the buffer carries a non-NUL guard there.
// The answer reports the size actually stored, so the caller can see it took.
Json SetRawRegistryString(const Arguments& args) {
  if (args.size() != 3) return Failure(L"usage: reg-set-raw <HKLM|HKCU\\key> <name> <text>");
  std::wstring subkey;
  HKEY root = RegistryRoot(args[0], subkey);
  if (!root) return Failure(L"unknown root key");
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0,
                      KEY_SET_VALUE | KEY_QUERY_VALUE | KEY_WOW64_32KEY, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return Failure(L"cannot create key");
  }
  const std::wstring guarded = args[2] + L"#";
  const DWORD counted = static_cast<DWORD>(args[2].size() * sizeof(wchar_t));
  LSTATUS status = RegSetValueExW(key, args[1].c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(guarded.c_str()), counted);
  DWORD stored = 0;
  if (status == ERROR_SUCCESS) {
    status = RegQueryValueExW(key, args[1].c_str(), nullptr, nullptr, nullptr, &stored);
  }
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return Failure(L"cannot store value");
  return JsonObject({{"bytes", JsonNumber(stored)}});
}

}  // namespace driver
