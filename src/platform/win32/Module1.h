// The notification-area request of the main window.
#pragma once

#include <windows.h>

#include <string_view>

namespace updstart::win32 {

// Sends `message` (NIM_ADD, NIM_MODIFY, NIM_DELETE) for icon 0 of `window`
// with the given icon and tip (cut to 63 characters); returns the shell's
// result, or FALSE when the shell cannot be reached.
int SetTrayIcon(DWORD message, HWND window, HICON icon, std::wstring_view tip);

}  // namespace updstart::win32
