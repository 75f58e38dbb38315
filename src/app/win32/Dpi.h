// DPI queries that fall back gracefully on systems older than Windows 10.
#pragma once

#include <windows.h>

namespace updstart::win32 {

inline constexpr UINT kBaseDpi = 96;

UINT DpiOfWindow(HWND window);

// The outer size of a window whose client area is `client` at `dpi`.
SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD ex_style, UINT dpi);

// Twips (1/1440 inch) in pixels at `dpi`.
inline int TwipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

}  // namespace updstart::win32
