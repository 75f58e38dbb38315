// The program's exit codes, as the README documents them.
#pragma once

namespace updstart {

inline constexpr int kExitWindowClosed = 0;
inline constexpr int kExitUpdaterStarted = 0;     // unattended: the updater was started
inline constexpr int kExitUpdaterSucceeded = 0;   // wait: it ended with 0
inline constexpr int kExitUsageShown = 0;         // "/?"
inline constexpr int kExitUpdaterNotStarted = 1;  // unattended: it could not be started
inline constexpr int kExitProductNotFound = 2;
inline constexpr int kExitWindowNotCreated = 3;   // nothing ran, unattended or not
inline constexpr int kExitMessageLoopFailed = 4;  // the window's messages could not be read
inline constexpr int kExitUpdaterFailed = 5;      // wait: every attempt ended with another code
inline constexpr int kExitUpdaterStillRuns = 6;   // wait: it still ran at the limit
inline constexpr int kExitMalformedArgument = 7;  // unattended: an argument it cannot use
inline constexpr int kExitWaitFailed = 8;         // wait: the wait itself failed

}  // namespace updstart
