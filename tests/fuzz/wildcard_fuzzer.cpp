// WildcardMatch against a table over every (text position, pattern position)
// pair, which is slow but plainly right. The input is the pattern, a 0xFF
// byte, then the text; 0xFF never occurs in UTF-8, so both halves can hold
// any character.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "FuzzText.h"
#include "shared/Wildcard.h"

namespace {

// matches[t][p]: the text from t on is covered by the pattern from p on.
bool ReferenceMatch(std::wstring_view text, std::wstring_view pattern) {
  const std::size_t columns = pattern.size() + 1;
  std::vector<char> matches((text.size() + 1) * columns, 0);
  auto at = [&](std::size_t t, std::size_t p) -> char& { return matches[t * columns + p]; };
  at(text.size(), pattern.size()) = 1;
  for (std::size_t t = text.size() + 1; t-- > 0;) {
    for (std::size_t p = pattern.size(); p-- > 0;) {
      if (pattern[p] == L'*') {
        // The star takes nothing, or takes one character and stays.
        at(t, p) = at(t, p + 1) || (t < text.size() && at(t + 1, p));
      } else {
        at(t, p) = t < text.size() && text[t] == pattern[p] && at(t + 1, p + 1);
      }
    }
  }
  return at(0, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  auto separator = std::find(bytes.begin(), bytes.end(), std::uint8_t{0xFF});
  std::wstring pattern = updstart::fuzz::DecodeText({bytes.begin(), separator});
  std::wstring text = updstart::fuzz::DecodeText(
      {separator == bytes.end() ? separator : separator + 1, bytes.end()});
  if (updstart::WildcardMatch(text, pattern) != ReferenceMatch(text, pattern)) std::abort();
  return 0;
}
