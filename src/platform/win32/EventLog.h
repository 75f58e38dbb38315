// The program's events in the Application log, under its own source. The
// log is opened only when there is an event to write, so that a run with
// nothing to report never touches it.
#pragma once

#include <windows.h>

#include <span>
#include <string>

#include "platform/EventId.h"

namespace updstart::win32 {

// The source's name; the installer registers it with the program as the
// message file. Unregistered, Windows still keeps the events and their
// strings, without the descriptions.
inline constexpr wchar_t kEventSource[] = L"Nordavin updater starter";

// Writes the event with its insertion strings, at the level its number
// gives. A log that cannot be written stops nothing: a debug line says why.
void WriteEvent(EventId event, std::span<const std::wstring> strings);

}  // namespace updstart::win32
