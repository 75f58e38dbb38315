#include <windows.h>

#include <cwchar>
#include <string>

#include "Commands.h"
#include "ProgramWindows.h"

namespace driver {
namespace {

Json ComboJson(HWND combo) {
  std::vector<Json> items;
  const LRESULT count = Send(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = Send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring item(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, L'\0');
    const LRESULT copied =
        Send(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
    item.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    items.push_back(JsonText(item));
  }
  return JsonObject({{"items", JsonArray(items)},
                     {"selected", JsonNumber(Send(combo, CB_GETCURSEL, 0, 0))},
                     {"field_height", JsonNumber(Send(combo, CB_GETITEMHEIGHT, -1, 0))},
                     {"dropped", JsonBool(Send(combo, CB_GETDROPPEDSTATE, 0, 0) != 0)}});
}

Json ControlJson(HWND main, HWND control) {
  RECT rect = ScreenRectOf(control);
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&rect), 2);
  const std::wstring kind = ClassOf(control);
  const bool is_button = _wcsicmp(kind.c_str(), L"Button") == 0;
  const bool is_combo = _wcsicmp(kind.c_str(), L"ComboBox") == 0;
  return JsonObject({
      {"id", JsonText(NameOfControl(control))},
      {"class", JsonText(kind)},
      {"text", JsonText(TextOf(control))},
      {"visible", JsonBool(IsWindowVisible(control))},
      {"enabled", JsonBool(IsWindowEnabled(control))},
      {"rect", RectJson(rect)},
      {"style", JsonNumber(static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)))},
      {"exstyle", JsonNumber(static_cast<DWORD>(GetWindowLongW(control, GWL_EXSTYLE)))},
      {"check", is_button ? JsonNumber(Send(control, BM_GETCHECK, 0, 0)) : JsonNull()},
      {"combo", is_combo ? ComboJson(control) : JsonNull()},
  });
}

// The control that holds the keyboard focus, counted as the form's own
// control even when the focus sits in a combo box's edit.
HWND FocusedControl(HWND main) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info)) return nullptr;
  HWND window = info.hwndFocus;
  while (window && GetAncestor(window, GA_PARENT) != main) window = GetAncestor(window, GA_PARENT);
  return window;
}

HWND ControlByName(const Arguments& args) {
  HWND main = FindMainWindow();
  if (!main || args.empty()) return nullptr;
  return ControlNamed(main, args[0]);
}

std::vector<HWND> VisibleMessageBoxes() {
  std::vector<HWND> boxes;
  for (HWND window : TopLevelWindowsOf(FindProgramProcesses())) {
    if (IsWindowVisible(window) && ClassOf(window) == L"#32770") boxes.push_back(window);
  }
  return boxes;
}

Json MessageBoxJson(HWND box) {
  std::vector<Json> texts;
  std::vector<Json> buttons;
  Json icon = JsonNull();
  for (HWND child : ChildrenOf(box)) {
    if (!IsWindowVisible(child)) continue;
    const std::wstring kind = ClassOf(child);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (_wcsicmp(kind.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
      icon = RectJson(ScreenRectOf(child));
    } else if (_wcsicmp(kind.c_str(), L"Static") == 0) {
      texts.push_back(JsonText(TextOf(child)));
    } else if (_wcsicmp(kind.c_str(), L"Button") == 0) {
      buttons.push_back(
          JsonObject({{"id", JsonNumber(GetDlgCtrlID(child))}, {"text", JsonText(TextOf(child))}}));
    }
  }
  return JsonObject({{"title", JsonText(TextOf(box))},
                     {"rect", RectJson(ScreenRectOf(box))},
                     {"texts", JsonArray(texts)},
                     {"buttons", JsonArray(buttons)},
                     {"icon", icon}});
}

// Every visible child of a dialog, whatever its class: a dialog the system
// builds (the folder picker) is known only by what it contains.
Json DialogJson(HWND dialog) {
  std::vector<Json> controls;
  for (HWND child : ChildrenOf(dialog)) {
    if (!IsWindowVisible(child)) continue;
    controls.push_back(JsonObject({{"id", JsonNumber(GetDlgCtrlID(child))},
                                   {"class", JsonText(ClassOf(child))},
                                   {"text", JsonText(TextOf(child))},
                                   {"enabled", JsonBool(IsWindowEnabled(child))},
                                   {"rect", RectJson(ScreenRectOf(child))}}));
  }
  HWND main = FindMainWindow();
  return JsonObject({{"title", JsonText(TextOf(dialog))},
                     {"rect", RectJson(ScreenRectOf(dialog))},
                     {"owned_by_main", JsonBool(main && GetWindow(dialog, GW_OWNER) == main)},
                     {"controls", JsonArray(controls)}});
}

}  // namespace

Json Failure(std::wstring_view message) { return JsonObject({{"error", JsonText(message)}}); }

Json DumpMainWindow(const Arguments&) {
  HWND main = FindMainWindow();
  if (!main) return JsonObject({{"found", JsonBool(false)}});
  const unsigned unanswered_before = UnansweredSends();
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  std::vector<Json> controls;
  for (HWND control : ChildrenOf(main)) controls.push_back(ControlJson(main, control));
  HWND focus = FocusedControl(main);
  return JsonObject({
      {"found", JsonBool(true)},
      {"pid", JsonNumber(pid)},
      {"visible", JsonBool(IsWindowVisible(main))},
      {"foreground", JsonBool(GetForegroundWindow() == main)},
      {"caption", JsonText(TextOf(main))},
      {"window", RectJson(ScreenRectOf(main))},
      {"client", RectJson(ClientScreenRectOf(main))},
      {"focus", focus ? JsonText(NameOfControl(focus)) : JsonNull()},
      {"controls", JsonArray(controls)},
      // Last, so that it covers every message the look sent.
      {"complete", JsonBool(UnansweredSends() == unanswered_before)},
  });
}

Json DumpMessageBoxes(const Arguments&) {
  std::vector<Json> boxes;
  for (HWND box : VisibleMessageBoxes()) boxes.push_back(MessageBoxJson(box));
  std::vector<Json> pids;
  for (DWORD pid : FindProgramProcesses()) pids.push_back(JsonNumber(pid));
  return JsonObject({{"pids", JsonArray(pids)}, {"boxes", JsonArray(boxes)}});
}

Json PressMessageBoxOk(const Arguments&) {
  int posted = 0;
  for (HWND box : VisibleMessageBoxes()) {
    HWND ok = GetDlgItem(box, IDOK);
    if (PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok)))
      ++posted;
  }
  return JsonObject({{"posted", JsonNumber(posted)}});
}

Json DumpDialogs(const Arguments&) {
  const unsigned unanswered_before = UnansweredSends();
  std::vector<Json> dialogs;
  for (HWND dialog : VisibleMessageBoxes()) dialogs.push_back(DialogJson(dialog));
  return JsonObject({{"dialogs", JsonArray(dialogs)},
                     {"complete", JsonBool(UnansweredSends() == unanswered_before)}});
}

// Posted like a press of the button with that id: the dialog may run a modal
// loop on the program's only thread, which a sent message could wait on.
Json PressDialogButton(const Arguments& args) {
  if (args.empty()) return Failure(L"usage: dialog-press <button id>");
  const int id = _wtoi(args[0].c_str());
  int posted = 0;
  for (HWND dialog : VisibleMessageBoxes()) {
    HWND button = GetDlgItem(dialog, id);
    if (PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button)))
      ++posted;
  }
  return JsonObject({{"posted", JsonNumber(posted)}});
}

Json ClickControl(const Arguments& args) {
  HWND control = ControlByName(args);
  if (!control) return Failure(L"no such control");
  return JsonObject({{"posted", JsonBool(PostMessageW(control, BM_CLICK, 0, 0))}});
}

Json CloseMainWindow(const Arguments&) {
  HWND main = FindMainWindow();
  if (!main) return Failure(L"no main window");
  return JsonObject({{"posted", JsonBool(PostMessageW(main, WM_CLOSE, 0, 0))}});
}

Json SetControlText(const Arguments& args) {
  HWND control = ControlByName(args);
  if (!control || args.size() < 2) return Failure(L"usage: set-text <control> <text>");
  const LRESULT done = Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args[1].c_str()));
  return JsonObject({{"set", JsonBool(done > 0)}});
}

Json ScreenRectOfControl(const Arguments& args) {
  HWND control = ControlByName(args);
  if (!control) return Failure(L"no such control");
  return RectJson(ScreenRectOf(control));
}

}  // namespace driver
