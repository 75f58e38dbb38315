#include <windows.h>

#include <commctrl.h>

#include "app/Form1.h"
#include "app/win32/MainWindow.h"
#include "platform/win32/Win32Platform.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  // Before anything can load a library: never from the program's folder or
  // the current directory, where a planted DLL could wait.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);

  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  updstart::win32::Win32Platform platform;
  updstart::Form1 form(platform);
  updstart::win32::MainWindow window(instance, form, platform);
  return window.Run(show_command);
}
