#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <cwchar>
#include <string>

#include "Commands.h"
#include "ProgramWindows.h"

namespace driver {
namespace {

constexpr DWORD kDefaultTimeoutMs = 120000;
constexpr DWORD kLookIntervalMs = 10;

std::wstring Environment(const wchar_t* name) {
  const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
  if (needed == 0) return {};
  std::wstring value(needed, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), needed));
  return value;
}

// Every top-level window of the started process that was ever seen shown,
// looked for at short intervals for as long as it runs. (Wine raises no
// EVENT_OBJECT_SHOW to hook, so looking is the way to catch a window that is
// shown only briefly.)
class ShownWindows {
 public:
  explicit ShownWindows(DWORD pid) : pids_{pid} {}

  void Look() {
    for (HWND window : TopLevelWindowsOf(pids_)) {
      if (!IsWindowVisible(window) || std::ranges::find(windows_, window) != windows_.end()) {
        continue;
      }
      wchar_t title[512] = {};
      GetWindowTextW(window, title, 512);
      windows_.push_back(window);
      json_.push_back(
          JsonObject({{"class", JsonText(ClassOf(window))}, {"title", JsonText(title)}}));
    }
  }

  Json ToJson() const { return JsonArray(json_); }

 private:
  std::vector<DWORD> pids_;
  std::vector<HWND> windows_;
  std::vector<Json> json_;
};

bool WaitLooking(HANDLE process, DWORD timeout_ms, ShownWindows& shown) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    shown.Look();
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    const DWORD slice = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kLookIntervalMs));
    if (WaitForSingleObject(process, slice) == WAIT_OBJECT_0) return true;
  }
}

}  // namespace

// Starts the program with exactly the command line in DRIVER_CMDLINE (and the
// application name in DRIVER_APP, when set), so a test controls every quote
// and space, and answers with its exit code once it ends.
Json RunProgram(const Arguments&) {
  std::wstring command_line = Environment(L"DRIVER_CMDLINE");
  const std::wstring application = Environment(L"DRIVER_APP");
  const std::wstring directory = Environment(L"DRIVER_CWD");
  const std::wstring timeout_text = Environment(L"DRIVER_TIMEOUT_MS");
  const DWORD timeout_ms =
      timeout_text.empty() ? kDefaultTimeoutMs
                           : static_cast<DWORD>(std::wcstoul(timeout_text.c_str(), nullptr, 10));
  if (command_line.empty() && application.empty()) return Failure(L"DRIVER_CMDLINE is not set");

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(application.empty() ? nullptr : application.c_str(), command_line.data(),
                      nullptr, nullptr, FALSE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &process)) {
    const DWORD error = GetLastError();
    return JsonObject({{"started", JsonBool(false)}, {"error", JsonNumber(error)}});
  }
  CloseHandle(process.hThread);

  ShownWindows shown(process.dwProcessId);
  const bool ended = WaitLooking(process.hProcess, timeout_ms, shown);
  if (!ended) TerminateProcess(process.hProcess, 0xDEAD);
  DWORD exit_code = 0;
  GetExitCodeProcess(process.hProcess, &exit_code);
  CloseHandle(process.hProcess);
  return JsonObject({{"started", JsonBool(true)},
                     {"pid", JsonNumber(process.dwProcessId)},
                     {"timed_out", JsonBool(!ended)},
                     {"exit_code", ended ? JsonNumber(exit_code) : JsonNull()},
                     {"shown", shown.ToJson()}});
}

// Every process in the prefix, so a test can tell what the program started.
Json ListProcesses(const Arguments&) {
  std::vector<Json> processes;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return Failure(L"no process snapshot");
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    processes.push_back(JsonObject({{"pid", JsonNumber(entry.th32ProcessID)},
                                    {"parent", JsonNumber(entry.th32ParentProcessID)},
                                    {"name", JsonText(entry.szExeFile)}}));
  }
  CloseHandle(snapshot);
  return JsonObject({{"processes", JsonArray(processes)}});
}

}  // namespace driver
