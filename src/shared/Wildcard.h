// The pattern test used throughout the program: '*' matches any run of
// characters (none included), every other character matches itself, letter
// case counts, and the pattern must cover the whole text.
#pragma once

#include <string_view>

namespace updstart {

bool WildcardMatch(std::wstring_view text, std::wstring_view pattern);

}  // namespace updstart
