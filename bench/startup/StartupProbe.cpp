// Starts each program named on the command line in turn and reports, one
// line per run, how long it took from CreateProcessW to its first visible
// top-level window and the process's peak working set at that moment:
//   <program>\t<milliseconds>\t<peak working set bytes>
// A run whose program ends or shows nothing in time reports "failed".
#include <windows.h>

#include <psapi.h>

#include <string>

namespace {

constexpr DWORD kPollMs = 1;
constexpr LONGLONG kGiveUpMs = 30000;
constexpr DWORD kExitWaitMs = 10000;

struct Search {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK LookAt(HWND window, LPARAM lparam) {
  auto* search = reinterpret_cast<Search*>(lparam);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == search->pid && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND VisibleWindowOf(DWORD pid) {
  Search search{pid, nullptr};
  EnumWindows(&LookAt, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void Print(const std::wstring& line) {
  // Plain ASCII goes out as bytes, so a pipe on the other side reads it as is.
  std::string bytes(line.begin(), line.end());
  bytes += '\n';
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

std::wstring MeasureOnce(const wchar_t* program) {
  std::wstring command_line = L"\"" + std::wstring(program) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  LARGE_INTEGER frequency;
  LARGE_INTEGER start;
  LARGE_INTEGER now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(program, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return L"failed\tCreateProcessW error " + std::to_wstring(GetLastError());
  }

  HWND window = nullptr;
  double elapsed_ms = 0;
  for (;;) {
    window = VisibleWindowOf(process.dwProcessId);
    QueryPerformanceCounter(&now);
    elapsed_ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
                 static_cast<double>(frequency.QuadPart);
    if (window || elapsed_ms > kGiveUpMs) break;
    if (WaitForSingleObject(process.hProcess, kPollMs) == WAIT_OBJECT_0) break;
  }

  std::wstring result;
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof(memory);
  if (!window) {
    result = L"failed\tno visible window";
  } else if (!GetProcessMemoryInfo(process.hProcess, &memory, sizeof(memory))) {
    result = L"failed\tGetProcessMemoryInfo error " + std::to_wstring(GetLastError());
  } else {
    result = std::to_wstring(elapsed_ms) + L"\t" + std::to_wstring(memory.PeakWorkingSetSize);
  }

  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, kExitWaitMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, kExitWaitMs);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) Print(std::wstring(argv[i]) + L"\t" + MeasureOnce(argv[i]));
  return 0;
}
