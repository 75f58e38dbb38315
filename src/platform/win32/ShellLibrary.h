// The shell's functions that the program needs now and then: loaded on first
// use, not imported, so that a run that never opens the picker or the
// elevation prompt never loads the shell.
#pragma once

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include "platform/win32/UniqueHandle.h"

namespace updstart::win32 {

struct ShellFunctions {
  using Browse = PIDLIST_ABSOLUTE(WINAPI*)(LPBROWSEINFOW);
  using PathFromList = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, PWSTR, DWORD, GPFIDL_FLAGS);
  using Execute = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
  using Free = void(WINAPI*)(LPVOID);

  ShellFunctions();

  UniqueModule shell;
  UniqueModule com;
  Browse browse = nullptr;
  PathFromList path_from_list = nullptr;
  Execute execute = nullptr;
  Free free = nullptr;
  // The first library that could not be loaded, and why, for the failure
  // report; null and ERROR_SUCCESS when both loaded.
  const wchar_t* failed_library = nullptr;
  DWORD load_error = ERROR_SUCCESS;
};

// Loaded once, the thread joined to a COM apartment, and never unloaded:
// the shell may still run threads of its own when the program ends.
const ShellFunctions& Shell();

}  // namespace updstart::win32
