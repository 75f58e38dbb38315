// The arguments that change what an unattended run does, and the one that
// asks for the usage.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace updstart {

inline constexpr std::uint32_t kDefaultWaitMinutes = 60;
inline constexpr std::uint32_t kLongestWaitMinutes = 1440;

// What "source=" names for the product's own configured source: no URL, and
// no absolute or UNC path, can be mistaken for it.
inline constexpr std::wstring_view kOwnSource = L"default";

struct RunOptions {
  bool usage = false;                         // "/?"
  bool waits = false;                         // "wait" or "wait=", valid or not
  std::optional<std::uint32_t> wait_minutes;  // "wait", "wait=MINUTES"
  // "source=TEXT", each in the order given; nullopt for "source=default".
  std::vector<std::optional<std::wstring>> sources;
  // The first argument that an unattended run cannot use: an option without
  // a valid value, a second "source=" without "wait", "/?" with "wait".
  std::optional<std::wstring> malformed;
};

// Reads the arguments after the program's own name, split as Windows programs
// split them. The words are whole arguments in any letter case; a later
// "wait" overrides an earlier; anything else is ignored.
RunOptions ReadRunOptions(std::wstring_view argument_text);

}  // namespace updstart
