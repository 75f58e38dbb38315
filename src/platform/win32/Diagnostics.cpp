#include "platform/win32/Diagnostics.h"

#include <string>

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

}  // namespace

void ReportFailure(std::wstring_view what, std::wstring_view subject, DWORD error) {
  std::wstring line(kDiagnosticsName);
  line.append(L": ").append(what);
  if (!subject.empty()) line.append(L": ").append(subject);
  line.append(L": error ").append(std::to_wstring(error));
  if (const std::wstring text = ErrorText(error); !text.empty()) line.append(L": ").append(text);
  // A line end of its own: viewers that join the pieces they get keep lines apart.
  line.append(L"\n");
  OutputDebugStringW(line.c_str());
}

}  // namespace updstart::win32
