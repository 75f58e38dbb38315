#include "platform/win32/Diagnostics.h"

#include <string>

#include "platform/EventText.h"

namespace updstart::win32 {

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

void WriteDebugLine(std::wstring_view text) {
  std::wstring line(kDiagnosticsName);
  // A line end of its own: viewers that join the pieces they get keep lines apart.
  line.append(L": ").append(text).append(L"\n");
  OutputDebugStringW(line.c_str());
}

void DebugFailure(std::wstring_view what, std::wstring_view subject, DWORD error) {
  WriteDebugLine(FailureLine(what, subject, error, ErrorText(error)));
}

}  // namespace updstart::win32
