// What the program writes to the event log and the debug output is read by
// every user of the machine and copied to collectors: these keep passwords
// out of it and keep every event within what the log accepts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace updstart {

// The log refuses a longer insertion string (ReportEventW: "each string is
// limited to 31,839 characters").
inline constexpr std::size_t kLongestEventString = 31839;
// All strings of one event together, so that the record stays well within
// the 256 KiB the log keeps of one event.
inline constexpr std::size_t kLongestEventText = 4 * kLongestEventString;
// Ends a string that was cut.
inline constexpr std::wstring_view kCutMark = L" [... cut]";
// The most strings an event of the program has.
inline constexpr std::size_t kMostEventStrings = 5;
// Stands for the user name and password of a URL.
inline constexpr std::wstring_view kHiddenUserInfo = L"***";

// `text` with the user information of every URL in it ("scheme://user:pw@")
// replaced by kHiddenUserInfo. The authority ends at the first '/', '?' or
// '#', and its user information at its last '@', as RFC 3986 reads it.
std::wstring HideUserInfo(std::wstring_view text);

// `fitted` (as many as `strings`) becomes the strings as the log is given
// them: user information hidden, and each cut (marked) to its share of the
// limits, never inside a surrogate pair.
void FitEventStrings(std::span<const std::wstring> strings, std::span<std::wstring> fitted);

// A failure's debug line: what failed, the command line or path it was done
// with (left out when empty), the Windows error as number and system text,
// and what more there is to say (left out when empty).
std::wstring FailureLine(std::wstring_view what, std::wstring_view subject, std::uint32_t error,
                         std::wstring_view error_text, std::wstring_view more = {});

// An exit code as people look it up: "3221225477 (0xC0000005)".
std::wstring ExitCodeText(std::uint32_t code);

}  // namespace updstart
