// The events the program writes to the Application log. The numbers and
// levels come from the message table itself (platform/EventMessages.mc,
// compiled into EventMessages.h when the build is configured), so that the
// program cannot write a number the table lacks.
#pragma once

#include <cstdint>

#include "EventMessages.h"

namespace updstart {

// Each value is the message table's whole identifier: the level in its top
// two bits, the number Event Viewer shows in its low 16.
enum class EventId : std::uint32_t {
  UpdaterStarted = EVENT_UPDATER_STARTED,                  // command line, process id
  UpdaterSucceeded = EVENT_UPDATER_SUCCEEDED,              // exit code, seconds it ran
  AttemptStarted = EVENT_ATTEMPT_STARTED,                  // + source, attempt, attempts
  AttemptSucceeded = EVENT_ATTEMPT_SUCCEEDED,              // exit code, seconds, source, ...
  UpdaterStillRunning = EVENT_UPDATER_STILL_RUNNING,       // limit in minutes, process id
  AttemptFailed = EVENT_ATTEMPT_FAILED,                    // exit code, seconds, source, ...
  UpdaterFailed = EVENT_UPDATER_FAILED,                    // exit code, seconds it ran
  UpdaterNotStarted = EVENT_UPDATER_NOT_STARTED,           // a failure (Platform::ReportFailure)
  ProductNotFound = EVENT_PRODUCT_NOT_FOUND,               // the text the box shows
  MalformedArgument = EVENT_MALFORMED_ARGUMENT,            // the argument
  UpdatesPageNotOpened = EVENT_UPDATES_PAGE_NOT_OPENED,    // a failure
  FolderPickerNotOpened = EVENT_FOLDER_PICKER_NOT_OPENED,  // a failure
  WindowNotCreated = EVENT_WINDOW_NOT_CREATED,             // a failure
  MessagesNotRead = EVENT_MESSAGES_NOT_READ,               // a failure
  NoSourceSucceeded = EVENT_NO_SOURCE_SUCCEEDED,           // how many sources
  WaitFailed = EVENT_WAIT_FAILED,                          // a failure, with the process id
  AttemptsCutShort = EVENT_ATTEMPTS_CUT_SHORT,             // attempt, attempts, limit in minutes
};

enum class EventLevel { Information, Warning, Error };

constexpr EventLevel LevelOf(EventId event) {
  switch (static_cast<std::uint32_t>(event) >> 30) {
    case 1:
      return EventLevel::Information;
    case 2:
      return EventLevel::Warning;
    default:
      return EventLevel::Error;
  }
}

// The number Event Viewer and Get-WinEvent show as the Event ID.
constexpr std::uint16_t ShownNumber(EventId event) {
  return static_cast<std::uint16_t>(static_cast<std::uint32_t>(event) & 0xFFFF);
}

}  // namespace updstart
