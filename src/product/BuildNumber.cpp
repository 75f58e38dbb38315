#include "product/BuildNumber.h"

#include <algorithm>
#include <limits>

namespace updstart {

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

std::optional<float> ParseBuildNumber(std::wstring_view text, Platform& platform) {
  if (text.empty()) return std::nullopt;
  // Builds are plain whole numbers nearly always, and every probe that misses
  // reads an empty one: neither needs the system's conversion, whose library
  // would otherwise be loaded at every start.
  if (!std::all_of(text.begin(), text.end(), IsDigit)) return platform.LocaleNumber(text);
  double value = 0;
  for (wchar_t digit : text) value = value * 10 + (digit - L'0');
  if (value > std::numeric_limits<float>::max()) return std::nullopt;
  return static_cast<float>(value);
}

}  // namespace updstart
