// Finding and reading the program's windows from another process.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "Json.h"

namespace driver {

// How long a cross-process message may take before the program counts as hung.
inline constexpr UINT kSendTimeoutMs = 2000;

// The main window, shown or not; null while the program has none.
HWND FindMainWindow();

// The program's processes: the owner of the main window and every process
// with the program's file name (a run that never made its window).
std::vector<DWORD> FindProgramProcesses();

// Top-level windows of the given processes, in z-order.
std::vector<HWND> TopLevelWindowsOf(const std::vector<DWORD>& pids);

// Direct children only: a combo box's own edit is not one of the form's controls.
std::vector<HWND> ChildrenOf(HWND parent);

// A control of the main window by its name in the program's control table
// ("Combo1"), which also gives its window id; the tests know controls by name
// only, so that a control added to the table moves no test. Null if none.
HWND ControlNamed(HWND main, std::wstring_view name);
// The control's name in that table; its window id as text for any other child.
std::wstring NameOfControl(HWND control);

std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window);
// -1 when the program does not answer in time (see UnansweredSends).
LRESULT Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// How many messages so far went unanswered: a look during which this grew
// holds made-up values, such as an empty text for one that was not read.
unsigned UnansweredSends();

Json RectJson(const RECT& rect);
RECT ScreenRectOf(HWND window);
RECT ClientScreenRectOf(HWND window);

}  // namespace driver
