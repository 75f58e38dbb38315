#include "product/OutdatedNotice.h"

#include <algorithm>
#include <array>

#include "shared/Wildcard.h"

namespace updstart {

namespace {

constexpr std::array<std::wstring_view, 5> kOutdatedNames{L"*6.0*", L"*7.0*", L"*2009*", L"*2010*",
                                                          L"*Vardexon*"};
constexpr std::array<float, 5> kExemptBuilds{1424, 59, 288, 199, 192};

}  // namespace

OutdatedNotice DecideOutdatedNotice(std::wstring_view product_name, float build_number) {
  bool old_name = std::any_of(kOutdatedNames.begin(), kOutdatedNames.end(),
                              [&](std::wstring_view p) { return WildcardMatch(product_name, p); });
  if (!old_name) return OutdatedNotice::None;
  bool exempt =
      std::find(kExemptBuilds.begin(), kExemptBuilds.end(), build_number) != kExemptBuilds.end();
  return exempt ? OutdatedNotice::Exempt : OutdatedNotice::Shown;
}

}  // namespace updstart
