// What "/?" shows: the command lines, the arguments and the exit codes. The
// box wraps long lines itself, so each item is one line.
#pragma once

#include <string_view>

namespace updstart {

inline constexpr std::wstring_view kUsage =
    L"updstart.exe\n"
    L"The window: pick a source and press Update.\n"
    L"\n"
    L"updstart.exe silent [wait | wait=MINUTES] [source=TEXT ...]\n"
    L"Unattended, for scheduled tasks: no window; after 30 seconds the product's updater is "
    L"started hidden, and the program ends 10 seconds later.\n"
    L"\n"
    L"silent: anywhere in the arguments, in lower case.\n"
    L"wait: wait for the updater to end, at most 60 minutes in all, and end with its result; "
    L"never shows a box.\n"
    L"wait=MINUTES: the same, at most MINUTES (1 to 1440).\n"
    L"source=TEXT: update from TEXT instead of the product's own source; quote the whole "
    L"argument when TEXT has a blank: \"source=D:\\Nordavin updates\". With wait, give it "
    L"several times to try each in turn until one succeeds; source=default is the product's "
    L"own source.\n"
    L"\n"
    L"Exit codes:\n"
    L"0: the window was closed; the updater was started; with wait, it ended with 0; or this "
    L"help.\n"
    L"1: the updater could not be started.\n"
    L"2: no installed product was found.\n"
    L"3: the window could not be created.\n"
    L"4: the window's messages could not be read.\n"
    L"5: wait: the updater ended with another exit code, from every source.\n"
    L"6: wait: the updater still ran at the limit and was left running.\n"
    L"7: unattended: an argument it cannot use (wait=0, wait=abc, source=, several source= "
    L"without wait, /? with wait).\n"
    L"8: wait: the wait for the updater failed.\n"
    L"\n"
    L"Each unattended run and each failure is written to the Application event log, source "
    L"\"Nordavin updater starter\".";

}  // namespace updstart
