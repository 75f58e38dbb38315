// The product's Build value as a number.
#pragma once

#include <optional>
#include <string_view>

#include "platform/Platform.h"

namespace updstart {

// The number as the user's locale reads it (Platform::LocaleNumber); nullopt
// for the empty text and anything else that is not a number.
std::optional<float> ParseBuildNumber(std::wstring_view text, Platform& platform);

}  // namespace updstart
