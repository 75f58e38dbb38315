// What the user is told when the updater cannot be started.
#pragma once

#include <string_view>

namespace updstart {

// Russian only for exactly "ru-RU" or "ru"; every other locale gets English.
std::wstring_view UpdaterFailureMessage(std::wstring_view localization);

}  // namespace updstart
