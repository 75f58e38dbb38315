// What "/?" shows: the command lines, the arguments and the exit codes.
#pragma once

#include <string_view>

namespace updstart {

inline constexpr std::wstring_view kUsage =
    L"updstart.exe\n"
    L"    The window: pick a source and press Update.\n"
    L"updstart.exe silent [wait | wait=MINUTES] [source=TEXT]\n"
    L"    Unattended, for scheduled tasks: no window; after 30 seconds the\n"
    L"    product's updater is started hidden, then the program ends 10\n"
    L"    seconds later.\n"
    L"updstart.exe /?\n"
    L"    This help.\n"
    L"\n"
    L"silent: anywhere in the arguments, in lower case.\n"
    L"wait: wait until the updater ends, at most 60 minutes, and end with\n"
    L"    its result; never shows a box.\n"
    L"wait=MINUTES: the same, at most MINUTES (1 to 1440).\n"
    L"source=TEXT: update from TEXT instead of the product's own source;\n"
    L"    quote the whole argument when TEXT has a blank: \"source=C:\\My updates\".\n"
    L"\n"
    L"Exit codes:\n"
    L"0  the window was closed; the updater was started; with wait, it ended\n"
    L"    with 0; or this help\n"
    L"1  the updater could not be started\n"
    L"2  no installed product was found\n"
    L"3  the window could not be created\n"
    L"4  the window's messages could not be read\n"
    L"5  wait: the updater ended with another exit code\n"
    L"6  wait: the updater still ran at the limit and was left running\n"
    L"7  unattended: a malformed argument (wait=0, wait=abc, an empty source=)\n"
    L"\n"
    L"Each unattended run and each failure is written to the Application\n"
    L"event log, source \"Nordavin updater starter\".";

}  // namespace updstart
