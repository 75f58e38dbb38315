#include "product/Detection.h"

#include "product/BuildNumber.h"
#include "product/ProbeTable.h"

namespace updstart {

namespace {

std::wstring Read(const RegistryKey* key, std::wstring_view name) {
  return key ? key->ReadValue(name) : std::wstring();
}

}  // namespace

std::optional<ProductRecord> DetectProduct(Platform& platform) {
  for (const ProbeRow& row : kProbeTable) {
    // A key that cannot be opened reads as empty values, and so misses.
    std::unique_ptr<RegistryKey> hKey = platform.OpenMachineKey(row.key);
    ProductRecord record;
    record.sProductRoot = Read(hKey.get(), L"ProductRoot");
    record.sDataRoot = Read(hKey.get(), L"DataRoot");
    record.sProductName = Read(hKey.get(), L"ProductName");
    // Describes this key only: a Build that is not a number gives 0, never a
    // number left over from an earlier key.
    record.BuildNumber = ParseBuildNumber(Read(hKey.get(), L"Build"), platform).value_or(0.0f);
    if (record.sProductRoot.empty()) continue;

    record.ProductVersion = row.generation;
    record.sLocalization = Read(hKey.get(), L"Localization");
    if (row.reads_root_again) record.sProductRoot = Read(hKey.get(), L"ProductRoot");
    return record;
  }
  return std::nullopt;
}

}  // namespace updstart
