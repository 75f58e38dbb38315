// The one font of the window: the classic 8-point dialog face the layout was
// designed for, at the window's DPI. The baseline of the start-up benchmark
// and the test driver make theirs here too, so all three draw alike.
#pragma once

#include <windows.h>

namespace updstart::win32 {

inline constexpr int kDialogFontPoints = 8;

// The caller owns the font.
inline HFONT CreateDialogFont(UINT dpi) {
  return CreateFontW(-MulDiv(kDialogFontPoints, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL,
                     FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg");
}

}  // namespace updstart::win32
