// The program's exit codes, as the README documents them.
#pragma once

namespace updstart {

inline constexpr int kExitWindowClosed = 0;
inline constexpr int kExitProductNotFound = 2;

}  // namespace updstart
