// How Windows programs split the arguments of their command line, by the C
// runtime's rules: blanks and tabs separate; quotes group and are dropped, a
// doubled quote inside a quoted part stands for one; backslashes are plain
// except before a quote, where each pair stands for one backslash and an odd
// one left over makes the quote plain.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace updstart {

// `text` is what follows the program's own name.
std::vector<std::wstring> SplitWindowsArguments(std::wstring_view text);

}  // namespace updstart
