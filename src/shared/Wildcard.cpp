#include "shared/Wildcard.h"

namespace updstart {

// Greedy matching that remembers only the last '*': when a later piece of the
// pattern fails, that star takes one more character and the piece is retried.
// Earlier stars never need revisiting, so the cost is at worst the product of
// the two lengths and never exponential.
bool WildcardMatch(std::wstring_view text, std::wstring_view pattern) {
  // "*literal*", the form nearly every test here takes, is a substring search.
  if (pattern.size() >= 2 && pattern.front() == L'*' && pattern.back() == L'*') {
    std::wstring_view literal = pattern.substr(1, pattern.size() - 2);
    if (literal.find(L'*') == std::wstring_view::npos) {
      return text.find(literal) != std::wstring_view::npos;
    }
  }
  std::size_t t = 0;
  std::size_t p = 0;
  std::size_t star = std::wstring_view::npos;
  std::size_t star_text = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == L'*') {
      star = p++;
      star_text = t;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p;
      ++t;
    } else if (star != std::wstring_view::npos) {
      p = star + 1;
      t = ++star_text;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == L'*') ++p;
  return p == pattern.size();
}

}  // namespace updstart
