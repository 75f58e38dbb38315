// The events the program writes to the Application log. Their numbers are
// published (README, guide) and match the message table compiled into the
// program (app/win32/resources/EventMessages.mc): never renumber one.
#pragma once

#include <cstdint>

namespace updstart {

// The thousands digit is the level: 1 information, 2 warning, 3 error.
enum class EventId : std::uint16_t {
  UpdaterStarted = 1000,         // unattended: command line, process id
  UpdaterSucceeded = 1001,       // wait: exit code, seconds it ran
  UpdaterStillRunning = 2001,    // wait: limit in minutes, process id
  UpdaterFailed = 3001,          // wait: exit code, seconds it ran
  UpdaterNotStarted = 3002,      // a failure (below)
  ProductNotFound = 3003,        // the text the box shows
  MalformedArgument = 3004,      // the argument
  UpdatesPageNotOpened = 3005,   // a failure
  FolderPickerNotOpened = 3006,  // a failure
  WindowNotCreated = 3007,       // a failure
  MessagesNotRead = 3008,        // a failure
};

enum class EventLevel { Information, Warning, Error };

constexpr EventLevel LevelOf(EventId event) {
  switch (static_cast<std::uint16_t>(event) / 1000) {
    case 1:
      return EventLevel::Information;
    case 2:
      return EventLevel::Warning;
    default:
      return EventLevel::Error;
  }
}

}  // namespace updstart
