// The product's Build value as a number.
#pragma once

#include <optional>
#include <string_view>

namespace updstart {

// A decimal number with optional sign, fraction and exponent, blanks around it
// allowed; nullopt for anything else (the empty text, "8.0.1.2", "1,424") and
// for numbers beyond the range of a float.
std::optional<float> ParseBuildNumber(std::wstring_view text);

}  // namespace updstart
