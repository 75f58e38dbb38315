#include "shared/WindowsArguments.h"

namespace updstart {

std::vector<std::wstring> SplitWindowsArguments(std::wstring_view text) {
  std::vector<std::wstring> arguments;
  std::size_t i = 0;
  while (true) {
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
    if (i == text.size()) return arguments;
    std::wstring argument;
    bool quoted = false;
    while (i < text.size()) {
      const wchar_t c = text[i];
      if (c == L'\\') {
        std::size_t run = 0;
        while (i < text.size() && text[i] == L'\\') ++run, ++i;
        if (i < text.size() && text[i] == L'"') {
          argument.append(run / 2, L'\\');
          if (run % 2 == 1) argument.push_back(L'"'), ++i;
        } else {
          argument.append(run, L'\\');
        }
      } else if (c == L'"') {
        if (quoted && i + 1 < text.size() && text[i + 1] == L'"') {
          argument.push_back(L'"');
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else if (!quoted && (c == L' ' || c == L'\t')) {
        break;
      } else {
        argument.push_back(c);
        ++i;
      }
    }
    arguments.push_back(std::move(argument));
  }
}

}  // namespace updstart
