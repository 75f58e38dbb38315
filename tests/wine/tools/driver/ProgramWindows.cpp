#include "ProgramWindows.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cwchar>

#include "app/AppIdentity.h"
#include "app/ControlTable.h"

namespace driver {
namespace {

// A run under a different file name (the 64-bit build, a renamed copy) can
// say so; the default is the name the build gives the program.
std::wstring ProgramFileName() {
  wchar_t name[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"DRIVER_EXE_NAME", name, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(name, length) : L"updstart.exe";
}

void AddProcessesByFileName(const std::wstring& file_name, std::vector<DWORD>& pids) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, file_name.c_str()) == 0 &&
        std::ranges::find(pids, entry.th32ProcessID) == pids.end()) {
      pids.push_back(entry.th32ProcessID);
    }
  }
  CloseHandle(snapshot);
}

// A bound for walking a z-order that may change during the walk.
constexpr std::size_t kMaxChildren = 1000;

unsigned unanswered_sends = 0;

struct WindowSearch {
  const std::vector<DWORD>* pids;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (std::ranges::find(*search->pids, pid) != search->pids->end()) search->found.push_back(window);
  return TRUE;
}

}  // namespace

HWND FindMainWindow() {
  return FindWindowW(std::wstring(updstart::kMainWindowClass).c_str(), nullptr);
}

std::vector<DWORD> FindProgramProcesses() {
  std::vector<DWORD> pids;
  if (HWND main = FindMainWindow()) {
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    pids.push_back(pid);
  }
  AddProcessesByFileName(ProgramFileName(), pids);
  return pids;
}

std::vector<HWND> TopLevelWindowsOf(const std::vector<DWORD>& pids) {
  WindowSearch search{&pids, {}};
  if (!pids.empty()) EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child && children.size() < kMaxChildren;
       child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

HWND ControlNamed(HWND main, std::wstring_view name) {
  for (const updstart::ControlDesign& design : updstart::kControlTable) {
    if (design.id_name == name) return GetDlgItem(main, updstart::ControlId(design.name));
  }
  return nullptr;
}

std::wstring NameOfControl(HWND control) {
  const int id = GetDlgCtrlID(control);
  for (const updstart::ControlDesign& design : updstart::kControlTable) {
    if (updstart::ControlId(design.name) == id) return std::wstring(design.id_name);
  }
  return std::to_wstring(id);
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  const int length = GetClassNameW(window, name, 256);
  return std::wstring(name, length > 0 ? length : 0);
}

LRESULT Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &result)) {
    ++unanswered_sends;
    return -1;
  }
  return static_cast<LRESULT>(result);
}

unsigned UnansweredSends() { return unanswered_sends; }

std::wstring TextOf(HWND window) {
  const LRESULT length = Send(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied =
      Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

Json RectJson(const RECT& rect) {
  return JsonObject({{"left", JsonNumber(rect.left)},
                     {"top", JsonNumber(rect.top)},
                     {"width", JsonNumber(rect.right - rect.left)},
                     {"height", JsonNumber(rect.bottom - rect.top)}});
}

RECT ScreenRectOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

RECT ClientScreenRectOf(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace driver
