// Failures written where an administrator can read them: the system's debug
// output, which debug viewers, a debugger and Wine's debug channel all show,
// and the Application event log, which is kept and can be collected.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace updstart::win32 {

// Starts every line, so that a viewer can filter the program's own.
inline constexpr std::wstring_view kDiagnosticsName = L"updstart";

// One line: the name, then `text`.
void WriteDebugLine(std::wstring_view text);

// One line: the name, `what` failed, `subject` (the command line or path; left
// out when empty), and `error` as its number and the system's text for it.
void DebugFailure(std::wstring_view what, std::wstring_view subject, DWORD error);

// The system's text for an error in the user's language, without the line
// end it comes with; empty for a number the system has no text for.
std::wstring ErrorText(DWORD error);

}  // namespace updstart::win32
