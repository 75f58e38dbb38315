// Stands in for the product's console updater: records the exact command line
// it was started with, one UTF-8 line in tvx.log beside itself, and how it
// splits that line into arguments by the system's own rules, one JSON array
// a line in tvx.args.log; then succeeds at once, or, when a file tvx.exit
// beside it holds lines of "MILLISECONDS CODE", runs as its start's line says
// (the first start the first line, and so on; the last line for every start
// after it) and ends with that code.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver/Json.h"

namespace {

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), length,
                      nullptr, nullptr);
  return utf8;
}

std::wstring PathBesideSelf(const wchar_t* name) {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

// What an updater that reads its verb from its first argument would see.
std::string ArgumentsAsJson(const wchar_t* command_line) {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(command_line, &count);
  if (!arguments) return "null";
  std::vector<driver::Json> items;
  for (int i = 0; i < count; ++i) items.push_back(driver::JsonText(arguments[i]));
  LocalFree(arguments);
  return driver::JsonArray(items);
}

bool Append(const wchar_t* name, const std::string& line) {
  HANDLE log = CreateFileW(PathBesideSelf(name).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(log);
  return ok && written == line.size();
}

// How many lines tvx.log holds: this start's number, once it has logged.
unsigned long StartsLogged() {
  FILE* file = _wfopen(PathBesideSelf(L"tvx.log").c_str(), L"rb");
  if (!file) return 0;
  unsigned long lines = 0;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) lines += c == '\n';
  std::fclose(file);
  return lines;
}

// The run that tvx.exit asks for this start; none when there is no such file.
void RunAsAsked(unsigned long start, DWORD& delay_ms, DWORD& exit_code) {
  FILE* file = _wfopen(PathBesideSelf(L"tvx.exit").c_str(), L"r");
  if (!file) return;
  unsigned long delay = 0;
  unsigned long code = 0;
  for (unsigned long line = 1; std::fscanf(file, "%lu %lu", &delay, &code) == 2; ++line) {
    delay_ms = delay;
    exit_code = code;
    if (line >= start) break;
  }
  std::fclose(file);
}

}  // namespace

int wmain() {
  const wchar_t* command_line = GetCommandLineW();
  // The split first: a test that sees the command line can then read both.
  const bool split = Append(L"tvx.args.log", ArgumentsAsJson(command_line) + "\r\n");
  const bool raw = Append(L"tvx.log", ToUtf8(command_line) + "\r\n");
  if (!split || !raw) return 1;
  DWORD delay_ms = 0;
  DWORD exit_code = 0;
  RunAsAsked(StartsLogged(), delay_ms, exit_code);
  Sleep(delay_ms);
  ExitProcess(exit_code);
}
