// Registry keys of the local-machine hive, read the way the core expects.
#pragma once

#include <memory>
#include <string_view>

#include "platform/Platform.h"

namespace updstart::win32 {

// Opens the key in the 32-bit view, which is where the product writes,
// whether this program is built for 32 or 64 bits.
std::unique_ptr<RegistryKey> OpenMachineKeyForReading(std::wstring_view sub_key);

}  // namespace updstart::win32
