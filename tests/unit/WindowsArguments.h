// How a Windows program's C runtime splits its whole command line, for
// checking what the updater will receive.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shared/WindowsArguments.h"

namespace updstart::testing {

using updstart::SplitWindowsArguments;

// The whole command line: the program's name first, where quotes only group
// and backslashes are plain characters, then its arguments by the rules of
// shared/WindowsArguments.h.
inline std::vector<std::wstring> SplitWindowsCommandLine(std::wstring_view text) {
  std::wstring program;
  std::size_t i = 0;
  for (bool quoted = false; i < text.size(); ++i) {
    if (text[i] == L'"') {
      quoted = !quoted;
    } else if (!quoted && (text[i] == L' ' || text[i] == L'\t')) {
      break;
    } else {
      program.push_back(text[i]);
    }
  }
  std::vector<std::wstring> arguments = SplitWindowsArguments(text.substr(i));
  arguments.insert(arguments.begin(), std::move(program));
  return arguments;
}

}  // namespace updstart::testing
