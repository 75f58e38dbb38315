// SplitArguments on any command line: the argument text is what follows the
// program token, and the token ends where Windows ends it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzText.h"
#include "app/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring line = updstart::fuzz::DecodeText({data, size});
  const updstart::ArgumentText split = updstart::SplitArguments(line);
  const std::wstring_view view = line;

  if (split.args.size() > line.size() || !view.ends_with(split.args)) std::abort();
  const std::wstring_view token = view.substr(0, line.size() - split.args.size());

  if (!line.empty() && line.front() == L'"') {
    if (split.closing_quote == 0) {
      // Unclosed: the path takes the whole line.
      if (!split.args.empty() || view.find(L'"', 1) != std::wstring_view::npos) std::abort();
    } else {
      // The token is the quoted path, and the first quote after the opening
      // one closes it.
      if (split.closing_quote < 2 || split.closing_quote != token.size() || token.back() != L'"' ||
          token.find(L'"', 1) != token.size() - 1)
        std::abort();
    }
  } else {
    if (split.closing_quote != 0) std::abort();
    if (token.find_first_of(L" \t") != std::wstring_view::npos) std::abort();
    if (!split.args.empty() && split.args.front() != L' ' && split.args.front() != L'\t')
      std::abort();
  }
  return 0;
}
