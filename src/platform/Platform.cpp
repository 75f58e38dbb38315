#include "platform/Platform.h"

#include <algorithm>

#include "platform/EventText.h"
#include "shared/DecimalText.h"

namespace updstart {

void Platform::ReportFailure(EventId event, std::wstring_view what, std::wstring_view subject,
                             std::uint32_t error, std::wstring_view more) {
  const std::wstring strings[] = {std::wstring(subject), DecimalText(error), ErrorText(error),
                                  std::wstring(more)};
  WriteDebugLine(FailureLine(what, subject, error, strings[2], more));
  WriteEvent(event, strings);
}

void Platform::WriteEvent(EventId event, std::span<const std::wstring> strings) {
  std::wstring fitted[kMostEventStrings];
  const std::span<const std::wstring> kept =
      strings.first(std::min(strings.size(), kMostEventStrings));
  FitEventStrings(kept, fitted);
  WriteLogEvent(event, std::span<const std::wstring>(fitted, kept.size()));
}

void Platform::WriteDebugLine(std::wstring_view text) { WriteLogLine(HideUserInfo(text)); }

}  // namespace updstart
