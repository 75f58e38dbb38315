// Numbers in text, read by the system as the user's locale writes them.
#pragma once

#include <optional>
#include <string_view>

namespace updstart::win32 {

// OLE Automation's conversion for the current user's locale; nullopt when the
// text is not a number, when it lies beyond a float, or when the conversion
// is not available.
std::optional<float> UserLocaleNumber(std::wstring_view text);

}  // namespace updstart::win32
