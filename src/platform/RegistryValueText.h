// How the program reads a registry value as text, whatever its type.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

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

// An ExpandString written for a 32-bit program, made ready for expansion in a
// 64-bit one: %ProgramFiles% and %CommonProgramFiles% become their "(x86)"
// variables, which hold the folders a 32-bit program gets for them. Read as
// Windows reads it, so `is_defined` says which variables the environment has
// (an unknown one leaves its closing % to open the next). Without the "(x86)"
// variables (32-bit Windows) nothing changes.
std::wstring WithThirtyTwoBitFolders(std::wstring_view text,
                                     const std::function<bool(std::wstring_view)>& is_defined);

}  // namespace updstart
