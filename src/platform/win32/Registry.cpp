#include "platform/win32/Registry.h"

#include <string>
#include <vector>

#include "platform/RegistryValueText.h"
#include "platform/win32/UniqueHandle.h"

namespace updstart::win32 {

namespace {

std::wstring ExpandVariables(std::wstring text) {
#if defined(_WIN64)
  // The product is a 32-bit program and wrote its paths as one sees them:
  // its %ProgramFiles% is the "(x86)" folder, not this process's.
  text = WithThirtyTwoBitFolders(text, [](std::wstring_view name) {
    const std::wstring variable(name);
    return GetEnvironmentVariableW(variable.c_str(), nullptr, 0) > 0;  // the size it needs
  });
#endif
  std::wstring expanded(text.size() + 1, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD needed = ExpandEnvironmentStringsW(text.c_str(), expanded.data(),
                                             static_cast<DWORD>(expanded.size()));
    if (needed == 0) return text;
    if (needed <= expanded.size()) {
      expanded.resize(needed - 1);
      return expanded;
    }
    expanded.assign(needed, L'\0');
  }
  return text;
}

class Key : public RegistryKey {
 public:
  explicit Key(UniqueKey key) : key_(std::move(key)) {}

  std::wstring ReadValue(std::wstring_view name) const override {
    const std::wstring value_name(name);
    DWORD type = REG_NONE;
    DWORD size = 0;
    std::vector<unsigned char> data;
    // The value may grow between the size query and the read; ask again then.
    for (int attempt = 0; attempt < 4; ++attempt) {
      LSTATUS status = RegQueryValueExW(key_.get(), value_name.c_str(), nullptr, &type,
                                        data.empty() ? nullptr : data.data(), &size);
      if (status == ERROR_SUCCESS && !data.empty()) {
        data.resize(size);
        std::wstring text = RegistryDataToText(type, data);
        return type == REG_EXPAND_SZ ? ExpandVariables(text) : text;
      }
      if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return {};
      if (size == 0) return {};
      data.assign(size, 0);
    }
    return {};
  }

 private:
  UniqueKey key_;
};

}  // namespace

std::unique_ptr<RegistryKey> OpenMachineKeyForReading(std::wstring_view sub_key) {
  const std::wstring path(sub_key);
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key) !=
      ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Key>(UniqueKey(key));
}

}  // namespace updstart::win32
