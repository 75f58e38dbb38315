// The driver's subcommands. Each answers with one JSON object; the ones that
// act on the program post their messages, so a modal box the action opens
// cannot block the driver.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Json.h"

namespace driver {

using Arguments = std::vector<std::wstring>;

Json DumpMainWindow(const Arguments& args);
Json DumpMessageBoxes(const Arguments& args);
Json PressMessageBoxOk(const Arguments& args);
Json DumpDialogs(const Arguments& args);
Json PressDialogButton(const Arguments& args);
Json ClickControl(const Arguments& args);
Json CloseMainWindow(const Arguments& args);
Json SetControlText(const Arguments& args);
Json ScreenRectOfControl(const Arguments& args);
Json SetRawRegistryString(const Arguments& args);
Json RunProgram(const Arguments& args);
Json ListProcesses(const Arguments& args);
Json MeasureTextFit(const Arguments& args);
Json MeasureTextInk(const Arguments& args);
Json SetTypedRegistryValue(const Arguments& args);
Json DenyRegistryRead(const Arguments& args);
Json HoldFile(const Arguments& args);
Json CountHandles(const Arguments& args);

Json Failure(std::wstring_view message);

// The root key a path starts with ("HKLM\\…", "HKCU\\…"), the rest going to
// `subkey`; null for any other root.
HKEY RegistryRoot(const std::wstring& path, std::wstring& subkey);

}  // namespace driver
