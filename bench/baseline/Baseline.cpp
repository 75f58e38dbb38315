// The reference for the start-up measurement: the program's window with its
// thirteen controls (same classes, styles, font and manifest), and nothing
// else — no registry, no files, no texts of its own — built with plain -O2
// and none of the program's hardening. Whatever the real program takes beyond
// this is the cost of its own work and of its protection.
#include <windows.h>

#include <commctrl.h>

#include "app/ControlTable.h"
#include "app/win32/DialogFont.h"

namespace {

using updstart::ControlDesign;
using updstart::ControlKind;
using updstart::ControlName;

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kComboListHeight96 = 200;

DWORD StyleOf(const ControlDesign& design) {
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  switch (design.kind) {
    case ControlKind::Label:
      return kChild | WS_GROUP | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY;
    case ControlKind::OptionButton:
      return kChild | BS_AUTORADIOBUTTON | BS_NOTIFY |
             (design.name == ControlName::Option1 ? WS_GROUP : 0);
    case ControlKind::CommandButton:
      return kChild | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON;
    case ControlKind::ComboBox:
      return kChild | WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
  }
  return kChild;
}

const wchar_t* ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label:
      return WC_STATICW;
    case ControlKind::OptionButton:
    case ControlKind::CommandButton:
      return WC_BUTTONW;
    case ControlKind::ComboBox:
      return WC_COMBOBOXW;
  }
  return WC_STATICW;
}

int Scaled(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void CreateControls(HWND window, HINSTANCE instance, int dpi) {
  HFONT font = updstart::win32::CreateDialogFont(static_cast<UINT>(dpi));
  HWND combo = nullptr;
  for (const ControlDesign& design : updstart::kControlTable) {
    int height = Scaled(design.rect.height, dpi);
    if (design.kind == ControlKind::ComboBox) height += MulDiv(kComboListHeight96, dpi, 96);
    // Each control shows its design name, so both windows paint text.
    HWND control = CreateWindowExW(
        0, ClassOf(design.kind), design.id_name.data(), StyleOf(design),
        Scaled(design.rect.left, dpi), Scaled(design.rect.top, dpi), Scaled(design.rect.width, dpi),
        height, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(updstart::ControlId(design.name))), instance,
        nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (design.kind == ControlKind::ComboBox) combo = control;
  }
  // The real window's combo box carries a tool tip; so does this one.
  HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, instance, nullptr);
  if (tip && combo) {
    TOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = window;
    info.uId = reinterpret_cast<UINT_PTR>(combo);
    info.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageW(tip, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = &WindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = L"UpdStartBaselineWindow";
  if (!RegisterClassExW(&window_class)) return 1;

  HWND window =
      CreateWindowExW(0, window_class.lpszClassName, L"Updater starter baseline", kWindowStyle,
                      CW_USEDEFAULT, CW_USEDEFAULT, 1, 1, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;

  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  CreateControls(window, instance, dpi);

  RECT frame{0, 0, Scaled(updstart::kClientWidthTwips, dpi),
             Scaled(updstart::kClientHeightTwips, dpi)};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);

  ShowWindow(window, show_command);
  UpdateWindow(window);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
