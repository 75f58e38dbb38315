#include "platform/win32/Module1.h"

#include <shellapi.h>

#include <algorithm>

namespace updstart::win32 {

int SetTrayIcon(DWORD message, HWND window, HICON icon, std::wstring_view tip) {
  // The shell library is loaded only here, at exit, rather than with the
  // program: it costs megabytes that nothing else at start-up needs.
  HMODULE shell = LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!shell) return FALSE;
  using NotifyIcon = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);
  auto notify = reinterpret_cast<NotifyIcon>(
      reinterpret_cast<void (*)()>(GetProcAddress(shell, "Shell_NotifyIconW")));
  int result = FALSE;
  if (notify) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = window;
    data.uID = 0;
    data.uFlags = NIF_ICON | NIF_TIP;
    data.hIcon = icon;
    std::size_t length = std::min<std::size_t>(tip.size(), 63);
    std::copy_n(tip.begin(), length, data.szTip);
    data.szTip[length] = L'\0';
    result = notify(message, &data);
  }
  FreeLibrary(shell);
  return result;
}

}  // namespace updstart::win32
