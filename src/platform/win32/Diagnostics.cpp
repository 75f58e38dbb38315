#include "platform/win32/Diagnostics.h"

#include <string>

#include "platform/win32/EventLog.h"
#include "shared/DecimalText.h"

namespace updstart::win32 {

namespace {

// The system's text for an error in the user's language, without the line
// end it comes with; empty for a number the system has no text for.
std::wstring ErrorText(DWORD error) {
  wchar_t text[512] = {};
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
      nullptr, error, 0, text, static_cast<DWORD>(std::size(text)), nullptr);
  while (length > 0 &&
         (text[length - 1] == L' ' || text[length - 1] == L'\r' || text[length - 1] == L'\n')) {
    --length;
  }
  return {text, length};
}

void WriteFailureLine(std::wstring_view what, std::wstring_view subject, std::wstring_view number,
                      std::wstring_view text) {
  std::wstring line(what);
  if (!subject.empty()) line.append(L": ").append(subject);
  line.append(L": error ").append(number);
  if (!text.empty()) line.append(L": ").append(text);
  WriteDebugLine(line);
}

}  // namespace

void WriteDebugLine(std::wstring_view text) {
  std::wstring line(kDiagnosticsName);
  // A line end of its own: viewers that join the pieces they get keep lines apart.
  line.append(L": ").append(text).append(L"\n");
  OutputDebugStringW(line.c_str());
}

void DebugFailure(std::wstring_view what, std::wstring_view subject, DWORD error) {
  WriteFailureLine(what, subject, DecimalText(error), ErrorText(error));
}

void ReportFailure(EventId event, std::wstring_view what, std::wstring_view subject, DWORD error) {
  const std::wstring strings[] = {std::wstring(subject), DecimalText(error), ErrorText(error),
                                  std::wstring(what)};
  WriteFailureLine(what, subject, strings[1], strings[2]);
  WriteEvent(event, strings);
}

}  // namespace updstart::win32
