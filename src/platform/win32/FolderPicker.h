// The shell's folder picker, with the shell and COM libraries loaded on first
// use rather than at start-up, where they would cost every run megabytes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace updstart::win32 {

// The chosen folder's path, "" when cancelled or when it has none; or the
// library that could not give the picker, and why.
FolderChoice BrowseForFolder(HWND owner, std::wstring_view prompt, std::uint32_t flags);

}  // namespace updstart::win32
