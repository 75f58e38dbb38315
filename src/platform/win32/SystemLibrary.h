// Libraries of Windows itself, loaded when first needed rather than with the
// program, and always from the system folder.
#pragma once

#include <windows.h>

#include "platform/win32/UniqueHandle.h"

namespace updstart::win32 {

// From System32 by full path; empty when it cannot be loaded.
UniqueModule LoadSystemLibrary(const wchar_t* dll_name);

// The named export of a loaded library; nullptr when it is missing (an older
// Windows) or when the library could not be loaded.
template <class Function>
Function SystemFunction(HMODULE module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace updstart::win32
