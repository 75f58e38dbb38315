// Whether a control's text fits the room the control gives it, measured in
// the program's own font.
//
// Another process cannot borrow the program's font: Wine does not answer
// WM_GETFONT across processes, and a font handle means nothing outside the
// process that made it anyway. So the text is measured where that font
// lives, in the edit field of the program's combo box, which gets the same
// font as every other control: the caret position after the text is its
// width. The field's own text is put back at once.
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <string>

#include "Commands.h"
#include "ProgramWindows.h"
#include "app/ControlTable.h"
#include "app/win32/DialogFont.h"

namespace driver {
namespace {

// Combo1, whose edit field does the measuring.
constexpr int kComboId = updstart::ControlId(updstart::ControlName::Combo1);

template <typename Function>
Function User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Function>(
                      reinterpret_cast<void (*)()>(GetProcAddress(user32, name)))
                : nullptr;
}

// The DPI of the program's windows. Wine 8 tells another process 96 for a
// per-monitor-aware window whatever its real DPI; on the rig's only monitor
// that window has the system's DPI, which the driver reads at its start.
UINT ProgramDpi() {
  using GetDpiForSystemFn = UINT(WINAPI*)();
  static const auto get_dpi = User32Function<GetDpiForSystemFn>("GetDpiForSystem");
  const UINT dpi = get_dpi ? get_dpi() : 0;
  return dpi ? dpi : 96;
}

// A system measure as the program sees it at its DPI, not at the driver's.
int MetricAt(int index, UINT dpi) {
  using ForDpiFn = int(WINAPI*)(int, UINT);
  static const auto for_dpi = User32Function<ForDpiFn>("GetSystemMetricsForDpi");
  return for_dpi ? for_dpi(index, dpi) : MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), 96);
}

int XOf(LRESULT position) { return static_cast<short>(LOWORD(static_cast<DWORD>(position))); }

HWND ComboEdit(HWND main) {
  HWND combo = GetDlgItem(main, kComboId);
  return combo ? FindWindowExW(combo, nullptr, L"Edit", nullptr) : nullptr;
}

// Width in pixels of text in the program's font; nothing if the program does not answer.
std::optional<int> MeasureInProgramFont(HWND main, const std::wstring& text) {
  HWND edit = ComboEdit(main);
  if (!edit) return std::nullopt;
  const unsigned unanswered_before = UnansweredSends();
  const std::wstring kept = TextOf(edit);
  // A character after the text, so that its position (where the text ends) can be asked.
  const std::wstring probe = text + L"|";
  Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(probe.c_str()));
  const LRESULT start = Send(edit, EM_POSFROMCHAR, 0, 0);
  const LRESULT end = Send(edit, EM_POSFROMCHAR, text.size(), 0);
  Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kept.c_str()));
  if (UnansweredSends() != unanswered_before || start == -1 || end == -1) return std::nullopt;
  return XOf(end) - XOf(start);
}

struct Room {
  int indent;  // where the text starts, from the control's left client edge
  int width;   // how much of the client width the text may use
};

// The room a control's own drawing leaves its text.
std::optional<Room> RoomOf(HWND main, HWND control) {
  RECT client{};
  GetClientRect(control, &client);
  const int width = client.right;
  const std::wstring kind = ClassOf(control);
  const UINT dpi = ProgramDpi();
  if (_wcsicmp(kind.c_str(), L"Button") == 0) {
    const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
      // The raised edge, then the focus rectangle one pixel inside it.
      const int inset = MetricAt(SM_CXEDGE, dpi) + 1;
      return Room{inset, width - 2 * inset};
    }
    // The check glyph, then a gap of half a digit's width before the text.
    const std::optional<int> digit = MeasureInProgramFont(main, L"0");
    if (!digit) return std::nullopt;
    const int indent = MetricAt(SM_CXMENUCHECK, dpi) + *digit / 2;
    return Room{indent, width - indent};
  }
  if (_wcsicmp(kind.c_str(), L"ComboBox") == 0) {
    HWND edit = ComboEdit(main);
    if (!edit) return std::nullopt;
    RECT field{};
    GetClientRect(edit, &field);
    const LRESULT margins = Send(edit, EM_GETMARGINS, 0, 0);
    if (margins == -1) return std::nullopt;
    const int left = LOWORD(static_cast<DWORD>(margins));
    const int right = HIWORD(static_cast<DWORD>(margins));
    RECT in_combo = ScreenRectOf(edit);
    MapWindowPoints(nullptr, control, reinterpret_cast<POINT*>(&in_combo), 2);
    return Room{in_combo.left + left, field.right - left - right};
  }
  return Room{0, width};  // a label: no border, text from the left edge
}

// Whether a pixel shows text on the face colour: the tests' own rule.
bool IsInk(COLORREF pixel) {
  const int r = GetRValue(pixel), g = GetGValue(pixel), b = GetBValue(pixel);
  const int low = std::min({r, g, b}), high = std::max({r, g, b});
  return low < 150 || high - low > 100;
}

}  // namespace

// text-ink <text>: the columns the text's ink covers when drawn whole, from
// its starting point, in the program's font at its DPI on the face colour.
// Wine draws glyphs a little tighter than it measures them, so this, not the
// measure, is what a caption drawn whole in the window must show.
Json MeasureTextInk(const Arguments& args) {
  if (args.size() != 1) return Failure(L"usage: text-ink <text>");
  const std::wstring& text = args[0];
  const UINT dpi = ProgramDpi();
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  const int width = 40 * static_cast<int>(text.size()) + 40;
  const int height = MulDiv(40, static_cast<int>(dpi), 96);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  HFONT font = updstart::win32::CreateDialogFont(dpi);
  HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
  HGDIOBJ old_font = SelectObject(dc, font);
  RECT all{0, 0, width, height};
  FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  constexpr int kOrigin = 20;  // room for a glyph that reaches left of its start
  TextOutW(dc, kOrigin, 2, text.c_str(), static_cast<int>(text.size()));
  int left = width, right = -1;
  for (int x = 0; x < width; ++x) {
    for (int y = 0; y < height; ++y) {
      if (IsInk(GetPixel(dc, x, y))) {
        left = std::min(left, x);
        right = std::max(right, x);
        break;
      }
    }
  }
  SelectObject(dc, old_font);
  SelectObject(dc, old_bitmap);
  DeleteObject(font);
  DeleteObject(bitmap);
  DeleteDC(dc);
  if (right < 0) return JsonObject({{"text", JsonText(text)}, {"ink", JsonNull()}});
  return JsonObject({{"text", JsonText(text)},
                     {"left", JsonNumber(left - kOrigin)},
                     {"right", JsonNumber(right + 1 - kOrigin)},
                     {"dpi", JsonNumber(dpi)}});
}

// text-fit <control name> [text]: the text (the control's own by default)
// measured against the room the control has for it.
Json MeasureTextFit(const Arguments& args) {
  if (args.empty()) return Failure(L"usage: text-fit <control name> [text]");
  HWND main = FindMainWindow();
  HWND control = main ? ControlNamed(main, args[0]) : nullptr;
  if (!control) return Failure(L"no such control");
  const std::wstring text = args.size() > 1 ? args[1] : TextOf(control);
  const std::optional<int> width = MeasureInProgramFont(main, text);
  const std::optional<Room> room = RoomOf(main, control);
  if (!width || !room) return Failure(L"the program did not answer");
  // The list's line height follows the height of the font the list draws with.
  const LRESULT line_height = Send(GetDlgItem(main, kComboId), CB_GETITEMHEIGHT, 0, 0);
  RECT client{};
  GetClientRect(control, &client);
  return JsonObject({{"text", JsonText(text)},
                     {"width", JsonNumber(*width)},
                     {"indent", JsonNumber(room->indent)},
                     {"room", JsonNumber(room->width)},
                     {"client_width", JsonNumber(client.right)},
                     {"line_height", JsonNumber(line_height)},
                     {"dpi", JsonNumber(ProgramDpi())}});
}

}  // namespace driver
