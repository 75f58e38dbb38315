// Failures written where an administrator can read them: the system's debug
// output, which debug viewers, a debugger and Wine's debug channel all show.
// The program has no console and keeps no files, so this is the only record.
#pragma once

#include <windows.h>

#include <string_view>

namespace updstart::win32 {

// Starts every line, so that a viewer can filter the program's own.
inline constexpr std::wstring_view kDiagnosticsName = L"updstart";

// One line: the name, `what` failed, `subject` (the command line or path; left
// out when empty), and `error` as its number and the system's text for it.
void ReportFailure(std::wstring_view what, std::wstring_view subject, DWORD error);

}  // namespace updstart::win32
