// Separates the program's own token from the argument text of a command line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace updstart {

struct ArgumentText {
  // 1-based position of the quote that closes a quoted program path; 0 when
  // the program path is not quoted.
  std::size_t closing_quote = 0;
  // Everything after the program token, the separating blank included.
  std::wstring args;
};

// The program token ends at its closing quote when it starts with one (an
// unclosed quote takes the whole line), otherwise at the first blank or tab,
// as Windows itself reads the program name.
ArgumentText SplitArguments(std::wstring_view command_line);

}  // namespace updstart
