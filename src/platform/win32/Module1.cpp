#include "platform/win32/Module1.h"

#include <shellapi.h>

#include <algorithm>

#include "platform/win32/SystemLibrary.h"

namespace updstart::win32 {

int SetTrayIcon(DWORD message, HWND window, HICON icon, std::wstring_view tip) {
  // The shell library is loaded only here, at exit, rather than with the
  // program: it costs megabytes that nothing else at start-up needs. Once is
  // all it is needed, so it goes again at once.
  const UniqueModule shell = LoadSystemLibrary(L"shell32.dll");
  using NotifyIcon = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);
  auto notify = SystemFunction<NotifyIcon>(shell.get(), "Shell_NotifyIconW");
  if (!notify) return FALSE;
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data.hWnd = window;
  data.uID = 0;
  data.uFlags = NIF_ICON | NIF_TIP;
  data.hIcon = icon;
  std::size_t length = std::min<std::size_t>(tip.size(), 63);
  std::copy_n(tip.begin(), length, data.szTip);
  data.szTip[length] = L'\0';
  return notify(message, &data);
}

}  // namespace updstart::win32
