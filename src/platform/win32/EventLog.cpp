#include "platform/win32/EventLog.h"

#include <vector>

#include "platform/win32/Diagnostics.h"
#include "platform/win32/UniqueHandle.h"
#include "shared/DecimalText.h"

namespace updstart::win32 {

namespace {

void Deregister(HANDLE source) { DeregisterEventSource(source); }

using UniqueEventSource = UniqueHandle<HANDLE, &Deregister>;

WORD TypeOf(EventId event) {
  switch (LevelOf(event)) {
    case EventLevel::Information:
      return EVENTLOG_INFORMATION_TYPE;
    case EventLevel::Warning:
      return EVENTLOG_WARNING_TYPE;
    case EventLevel::Error:
      break;
  }
  return EVENTLOG_ERROR_TYPE;
}

}  // namespace

void WriteEvent(EventId event, std::span<const std::wstring> strings) {
  std::vector<const wchar_t*> texts;
  texts.reserve(strings.size());
  for (const std::wstring& text : strings) texts.push_back(text.c_str());
  const auto id = static_cast<DWORD>(event);
  const UniqueEventSource source(RegisterEventSourceW(nullptr, kEventSource));
  if (source && ReportEventW(source.get(), TypeOf(event), 0, id, nullptr,
                             static_cast<WORD>(texts.size()), 0, texts.data(), nullptr)) {
    return;
  }
  const DWORD error = GetLastError();
  DebugFailure(
      L"could not write event " + DecimalText(ShownNumber(event)) + L" to the Application log", L"",
      error);
}

}  // namespace updstart::win32
