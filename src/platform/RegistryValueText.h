// How the program reads a registry value as text, whatever its type.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace updstart {

// Registry value types, with the numbers the registry stores.
enum class RegistryType : std::uint32_t {
  None = 0,
  String = 1,
  ExpandString = 2,
  Binary = 3,
  Dword = 4,
  DwordBigEndian = 5,
  Link = 6,
  MultiString = 7,
  Qword = 11,
};

// String data (UTF-16LE) comes back up to its terminating NUL, or whole when
// it was stored without one; a DWORD or QWORD as its decimal text; any other
// type, or data of the wrong size for its type, as "". Expanding an
// ExpandString's variables is left to the caller, which knows the environment.
std::wstring RegistryDataToText(std::uint32_t type, std::span<const unsigned char> data);

// UTF-16LE bytes as text, an odd last byte ignored.
std::wstring Utf16LeToText(std::span<const unsigned char> bytes);

}  // namespace updstart
