#include "app/win32/MainWindow.h"

#include <commctrl.h>
#include <windowsx.h>

#include <string>

#include "app/AppIdentity.h"
#include "app/ExitCodes.h"
#include "app/win32/DialogFont.h"
#include "app/win32/Dpi.h"

namespace updstart::win32 {

namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kResourceIcon = 1;
constexpr int kComboListHeight96 = 200;  // the drop-down part, below the edit field

// Creation order is the order Tab and the screen reader walk. The option
// buttons stay together so the arrow keys move within their group, and each
// label precedes the control it names.
constexpr ControlName kCreationOrder[] = {
    ControlName::Command1, ControlName::Label1,  ControlName::Combo1,  ControlName::Command2,
    ControlName::Option1,  ControlName::Option2, ControlName::Option3, ControlName::Label3,
    ControlName::Label4,   ControlName::Label5,  ControlName::Label2,  ControlName::Label7,
    ControlName::Label6,
};

struct WindowClassAndStyle {
  const wchar_t* window_class;
  DWORD style;
};

WindowClassAndStyle ClassAndStyleOf(const ControlDesign& design) {
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  switch (design.kind) {
    case ControlKind::Label:
      // SS_NOTIFY keeps a press on a visible label with the label, so it
      // never drags the window.
      return {WC_STATICW, kChild | WS_GROUP | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY};
    case ControlKind::OptionButton:
      // BS_NOTIFY for the double-click that reopens the folder picker.
      return {WC_BUTTONW, kChild | BS_AUTORADIOBUTTON | BS_NOTIFY |
                              (design.name == ControlName::Option1 ? WS_GROUP : 0)};
    case ControlKind::CommandButton:
      return {WC_BUTTONW, kChild | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON};
    case ControlKind::ComboBox:
      return {WC_COMBOBOXW,
              kChild | WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL};
  }
  return {WC_STATICW, kChild};
}

std::wstring WindowText(HWND window) {
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
  int copied = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

int WindowHeight(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect.bottom - rect.top;
}

struct Place {
  int left;
  int top;
  int width;
  int height;
};

Place PlaceOf(const ControlDesign& design, UINT dpi) {
  int height = TwipsToPixels(design.rect.height, dpi);
  if (design.kind == ControlKind::ComboBox) {
    // The design height is the closed box; the window also holds the list.
    height += MulDiv(kComboListHeight96, static_cast<int>(dpi), kBaseDpi);
  }
  return {TwipsToPixels(design.rect.left, dpi), TwipsToPixels(design.rect.top, dpi),
          TwipsToPixels(design.rect.width, dpi), height};
}

// The closed box's height follows its edit field's, plus borders whose size
// the system decides (and Wine also pads the height it is given), so set it,
// look, and correct by what is still off.
void FitClosedComboHeight(HWND combo, int wanted) {
  int field = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
  for (int attempt = 0; attempt < 2; ++attempt) {
    int off = WindowHeight(combo) - wanted;
    if (off == 0 || field - off <= 0) return;
    field -= off;
    SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
  }
}

std::optional<ControlName> ControlOfId(int id) {
  int index = id - kFirstControlId;
  if (index < 0 || index >= static_cast<int>(kControlTable.size())) return std::nullopt;
  return static_cast<ControlName>(index);
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, Form1& form, Win32Platform& platform)
    : instance_(instance), form_(form), platform_(platform) {}

int MainWindow::Run(int show_command) {
  if (std::optional<int> failed = Create()) return *failed;
  platform_.set_main_window(window_);
  // Nothing shows the controls' texts before the window does, except a box
  // that the start-up sequence opens, and that renders them first.
  platform_.set_before_modal([this] { Render(); });

  if (std::optional<int> exit_code = form_.Form_Load()) {
    // The sequence ended the program; whatever unloading it wanted is done.
    unloaded_ = true;
    DestroyWindow(window_);
    return *exit_code;
  }
  Render();

  ShowWindow(window_, show_command);
  UpdateWindow(window_);
  // No tip shows before the pointer rests on the list, so the window need
  // not wait for it.
  CreateToolTip();
  Raise([this] { form_.Form_Activate(); });

  MSG message{};
  BOOL got = FALSE;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
    if (window_ && IsDialogMessageW(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (got < 0) return form_.MessagesNotRead(GetLastError());
  return static_cast<int>(message.wParam);  // what WM_QUIT carries
}

std::optional<int> MainWindow::Create() {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = &MainWindow::WindowProc;
  window_class.hInstance = instance_;
  window_class.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(kResourceIcon));
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kMainWindowClass.data();
  if (!RegisterClassExW(&window_class)) {
    return form_.WindowNotCreated(L"could not register the main window's class", kMainWindowClass,
                                  GetLastError());
  }

  window_ = CreateWindowExW(0, kMainWindowClass.data(), form_.state().caption.c_str(), kWindowStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, 1, 1, nullptr, nullptr, instance_, this);
  if (!window_) {
    return form_.WindowNotCreated(L"could not create the main window", kMainWindowClass,
                                  GetLastError());
  }
  // What Render compares with: the window as just created, its controls
  // (below) visible, empty and unchecked, as a WindowState starts out. The
  // first render then changes only what the state changes.
  rendered_.caption = form_.state().caption;

  dpi_ = DpiOfWindow(window_);
  font_.reset(CreateDialogFont(dpi_));
  CreateControls();

  // Centre on the work area of the monitor the window landed on.
  const SIZE size = OuterSize();
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& area = monitor.rcWork;
  SetWindowPos(window_, nullptr, area.left + (area.right - area.left - size.cx) / 2,
               area.top + (area.bottom - area.top - size.cy) / 2, size.cx, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return std::nullopt;
}

// Each control is made in its place for the window's DPI, with its font:
// moving every control afterwards would cost a round of notifications each
// before the window can show.
void MainWindow::CreateControls() {
  for (ControlName name : kCreationOrder) {
    const ControlDesign& design = DesignOf(name);
    WindowClassAndStyle kind = ClassAndStyleOf(design);
    const Place place = PlaceOf(design, dpi_);
    HWND control = CreateWindowExW(0, kind.window_class, L"", kind.style, place.left, place.top,
                                   place.width, place.height, window_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(name))),
                                   instance_, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    if (design.kind == ControlKind::ComboBox) {
      FitClosedComboHeight(control, TwipsToPixels(design.rect.height, dpi_));
    }
    controls_[static_cast<std::size_t>(name)] = control;
  }

  COMBOBOXINFO combo{};
  combo.cbSize = sizeof(combo);
  if (GetComboBoxInfo(Control(ControlName::Combo1), &combo)) combo_edit_ = combo.hwndItem;
}

void MainWindow::CreateToolTip() {
  tool_tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                              WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance_, nullptr);
  // The tip belongs to the whole combo box, its edit field included, which
  // covers most of it.
  for (HWND tool : {Control(ControlName::Combo1), combo_edit_}) {
    if (!tool || !tool_tip_) continue;
    TOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = window_;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = const_cast<wchar_t*>(rendered_.combo.tool_tip.c_str());
    SendMessageW(tool_tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
  if (tool_tip_) SendMessageW(tool_tip_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
}

void MainWindow::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  UniqueFont font(CreateDialogFont(dpi));
  for (const ControlDesign& design : kControlTable) {
    HWND control = Control(design.name);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    const Place place = PlaceOf(design, dpi);
    SetWindowPos(control, nullptr, place.left, place.top, place.width, place.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (design.kind == ControlKind::ComboBox) {
      FitClosedComboHeight(control, TwipsToPixels(design.rect.height, dpi));
    }
  }
  if (tool_tip_) SendMessageW(tool_tip_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  font_ = std::move(font);
  InvalidateRect(window_, nullptr, TRUE);
}

template <typename Event>
void MainWindow::Raise(Event&& event) {
  if (HWND combo = Control(ControlName::Combo1)) {
    form_.SetComboText(WindowText(combo));
    rendered_.combo.text = form_.state().combo.text;
  }
  event();
  Render();
  if (form_.state().unload_requested && window_) DestroyWindow(window_);
}

void MainWindow::Render() {
  const WindowState& state = form_.state();
  if (state.caption != rendered_.caption) SetWindowTextW(window_, state.caption.c_str());

  for (const ControlDesign& design : kControlTable) {
    HWND control = Control(design.name);
    const ControlState& now = state[design.name];
    const ControlState& before = rendered_[design.name];
    if (design.kind == ControlKind::ComboBox) continue;
    if (now.caption != before.caption) SetWindowTextW(control, now.caption.c_str());
    if (now.visible != before.visible) ShowWindow(control, now.visible ? SW_SHOWNA : SW_HIDE);
    if (now.text_color != before.text_color) InvalidateRect(control, nullptr, TRUE);
    if (design.kind == ControlKind::OptionButton && now.value != before.value) {
      SendMessageW(control, BM_SETCHECK, now.value ? BST_CHECKED : BST_UNCHECKED, 0);
      // Only the selected option is a Tab stop; the arrow keys reach the others.
      LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
      SetWindowLongPtrW(control, GWL_STYLE,
                        now.value ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
    }
  }
  RenderCombo(state.combo);
  rendered_ = state;
}

void MainWindow::RenderCombo(const ComboState& combo) {
  HWND control = Control(ControlName::Combo1);
  bool text_lost = false;
  if (combo.items != rendered_.combo.items) {
    SendMessageW(control, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& item : combo.items) {
      SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    text_lost = true;  // resetting the list empties the edit field too
  }
  if (text_lost || combo.text != rendered_.combo.text) {
    SetWindowTextW(control, combo.text.c_str());
  }
  if (tool_tip_ && combo.tool_tip != rendered_.combo.tool_tip) {
    for (HWND tool : {control, combo_edit_}) {
      if (!tool) continue;
      TOOLINFOW info{};
      info.cbSize = sizeof(info);
      info.hwnd = window_;
      info.uId = reinterpret_cast<UINT_PTR>(tool);
      info.lpszText = const_cast<wchar_t*>(combo.tool_tip.c_str());
      SendMessageW(tool_tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    }
  }
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self || !self->window_) return DefWindowProcW(window, message, wparam, lparam);
  return self->Handle(window, message, wparam, lparam);
}

LRESULT MainWindow::Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_CTLCOLORSTATIC:
      return OnControlColor(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
      // Whichever button, on an empty part of the client area.
      Raise([this] { form_.Form_MouseDown(); });
      return message == WM_XBUTTONDOWN ? TRUE : 0;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wparam) != WA_INACTIVE);
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_DESTROY:
      if (!unloaded_) {
        unloaded_ = true;
        form_.Form_Unload();
      }
      PostQuitMessage(kExitWindowClosed);
      return 0;
    case WM_NCDESTROY:
      window_ = nullptr;
      tool_tip_ = nullptr;  // gone with its owner
      break;
    default:
      break;
  }
  // The handle received, not window_, which WM_NCDESTROY has already cleared.
  return DefWindowProcW(window, message, wparam, lparam);
}

// Dialog-like windows keep the focus where the user left it.
void MainWindow::OnActivate(bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus && IsChild(window_, focus)) focus_before_deactivation_ = focus;
    return;
  }
  SetFocus(focus_before_deactivation_ ? focus_before_deactivation_ : Control(form_.state().focus));
}

void MainWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
  ApplyDpi(dpi);
  const SIZE size = OuterSize();
  SetWindowPos(window_, nullptr, suggested.left, suggested.top, size.cx, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE MainWindow::OuterSize() const {
  return WindowSizeForClient(
      {TwipsToPixels(kClientWidthTwips, dpi_), TwipsToPixels(kClientHeightTwips, dpi_)},
      kWindowStyle, 0, dpi_);
}

void MainWindow::OnCommand(int id, int code) {
  // Enter and Escape arrive as IDOK and IDCANCEL, which no control has.
  std::optional<ControlName> name = ControlOfId(id);
  if (!name) return;
  switch (*name) {
    case ControlName::Command1:
      if (code == BN_CLICKED) Raise([this] { form_.Command1_Click(); });
      break;
    case ControlName::Command2:
      if (code == BN_CLICKED) Raise([this] { form_.Command2_Click(); });
      break;
    case ControlName::Label5:
      if (code == STN_CLICKED) Raise([this] { form_.Label5_Click(); });
      break;
    case ControlName::Option1:
    case ControlName::Option2:
    case ControlName::Option3:
      if (code == BN_CLICKED) Raise([this, option = *name] { form_.SelectOption(option); });
      if (code == BN_DOUBLECLICKED && *name == ControlName::Option3) {
        Raise([this] { form_.Option3_DblClick(); });
      }
      break;
    default:
      break;
  }
}

LRESULT MainWindow::OnControlColor(HDC dc, HWND control) {
  int id = GetDlgCtrlID(control);
  if (std::optional<ControlName> name = ControlOfId(id)) {
    if (const std::optional<Rgb>& color = rendered_[*name].text_color) {
      SetTextColor(dc, RGB(color->red, color->green, color->blue));
    }
  }
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace updstart::win32
