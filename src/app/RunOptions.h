// The arguments that change what an unattended run does, and the one that
// asks for the usage.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace updstart {

inline constexpr std::uint32_t kDefaultWaitMinutes = 60;
inline constexpr std::uint32_t kLongestWaitMinutes = 1440;

struct RunOptions {
  bool usage = false;                         // "/?"
  std::optional<std::uint32_t> wait_minutes;  // "wait", "wait=MINUTES"
  std::optional<std::wstring> source;         // "source=TEXT"
  // The first argument that names an option but gives it no valid value.
  std::optional<std::wstring> malformed;
};

// Reads the arguments after the program's own name, split as Windows programs
// split them. The words are whole arguments in any letter case; a later one
// overrides an earlier; anything else is ignored.
RunOptions ReadRunOptions(std::wstring_view argument_text);

}  // namespace updstart
