#include "sources/SourceLists.h"

#include <string_view>

#include "shared/BuildHosts.h"

namespace updstart {

std::array<std::wstring, kRegularSourceCount> RegularSources() {
  std::array<std::wstring, kRegularSourceCount> sources;
  for (std::size_t i = 0; i < hosts::kRegularMirrors.size(); ++i) {
    sources[i] = L"http://" + std::wstring(hosts::kRegularMirrors[i]);
  }
  sources.back() = L"http://" + std::wstring(hosts::kIpv4Source);
  return sources;
}

std::array<std::wstring, kTestChannelCount> TestChannels() {
  constexpr std::array<std::wstring_view, kTestChannelCount> kChannels{
      L"ap",   L"dit",  L"emu", L"ids", L"qdbi386", L"pre-release",
      L"tim1", L"tim2", L"urg", L"pbs", L"ep",      L"tl3"};
  std::array<std::wstring, kTestChannelCount> channels;
  for (std::size_t i = 0; i < kChannels.size(); ++i) {
    channels[i] =
        L"ftp://" + std::wstring(hosts::kTestServer) + L"/test/" + std::wstring(kChannels[i]);
  }
  return channels;
}

}  // namespace updstart
