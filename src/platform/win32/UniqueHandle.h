// One owner for every kind of Windows handle the program holds.
#pragma once

#include <windows.h>

#include <utility>

namespace updstart::win32 {

template <typename Handle, auto Close, Handle Invalid = Handle{}>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Invalid; }
  Handle release() { return std::exchange(handle_, Invalid); }
  void reset(Handle handle = Invalid) {
    if (handle_ != Invalid) Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Invalid;
};

inline void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }

using UniqueKey = UniqueHandle<HKEY, &RegCloseKey>;
using UniqueKernelHandle = UniqueHandle<HANDLE, &CloseHandle>;
using UniqueFont = UniqueHandle<HFONT, &DeleteGdiObject>;
using UniqueModule = UniqueHandle<HMODULE, &FreeLibrary>;

}  // namespace updstart::win32
