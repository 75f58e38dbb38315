#include "app/CommandLine.h"

namespace updstart {

ArgumentText SplitArguments(std::wstring_view command_line) {
  ArgumentText result;
  if (!command_line.empty() && command_line.front() == L'"') {
    std::size_t close = command_line.find(L'"', 1);
    if (close == std::wstring_view::npos) return result;
    result.closing_quote = close + 1;
    result.args = command_line.substr(close + 1);
    return result;
  }
  std::size_t blank = command_line.find_first_of(L" \t");
  if (blank != std::wstring_view::npos) result.args = command_line.substr(blank);
  return result;
}

}  // namespace updstart
