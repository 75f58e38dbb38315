#include <windows.h>

#include <commctrl.h>

#include "app/Form1.h"
#include "app/win32/MainWindow.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Win32Platform.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  // Before anything can load a library: never from the program's folder or
  // the current directory, where a planted DLL could wait. Looked up, not
  // imported: a Windows 7 without the update that brought it could not start
  // the program at all. There the program's own loads use full paths anyway,
  // and an empty DLL directory at least takes the current one out of the
  // search for whatever Windows loads on its behalf.
  using NarrowLibrarySearch = BOOL(WINAPI*)(DWORD);
  if (auto narrow = updstart::win32::SystemFunction<NarrowLibrarySearch>(
          GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")) {
    narrow(LOAD_LIBRARY_SEARCH_SYSTEM32);
  } else {
    SetDllDirectoryW(L"");
  }

  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  updstart::win32::Win32Platform platform;
  updstart::Form1 form(platform);
  updstart::win32::MainWindow window(instance, form, platform);
  return window.Run(show_command);
}
