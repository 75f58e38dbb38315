// Libraries of Windows itself that the program loads only when it needs them.
#pragma once

#include <windows.h>

#include "platform/win32/UniqueHandle.h"

namespace updstart::win32 {

// Loads `dll_name` from System32 by its full path, never from the program's
// folder or the current directory, where a planted copy could wait. Empty
// when it cannot be loaded.
UniqueModule LoadSystemLibrary(const wchar_t* dll_name);

// The function `name` that `module` exports, as the pointer type Function;
// nullptr when the module is null or lacks it (an older Windows).
template <class Function>
Function SystemFunction(HMODULE module, const char* name) {
  if (!module) return nullptr;
  // Through a plain function pointer, which converts to and from any other
  // without a cast warning.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace updstart::win32
