// The two fixed lists of update sources the window offers.
#pragma once

#include <array>
#include <string>

namespace updstart {

inline constexpr std::size_t kRegularSourceCount = 22;
inline constexpr std::size_t kTestChannelCount = 12;

// "http://" and a host: the 21 mirrors, then the dotted IPv4 source.
std::array<std::wstring, kRegularSourceCount> RegularSources();

// "ftp://", the test-server host and a channel folder under /test/.
std::array<std::wstring, kTestChannelCount> TestChannels();

}  // namespace updstart
