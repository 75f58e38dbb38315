// Names by which the program and its windows are known outside the code.
#pragma once

#include <string_view>

namespace updstart {

// The title of message boxes that have no title of their own.
inline constexpr std::wstring_view kApplicationTitle = L"Updater starter";

// The main window's class; the test driver finds the window by it.
inline constexpr std::wstring_view kMainWindowClass = L"UpdStartMainWindow";

}  // namespace updstart
