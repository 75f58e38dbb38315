// Letter case folded as Windows folds it for names and the program's own
// case-blind searches: A-Z only, so no locale can change a result.
#pragma once

namespace updstart {

constexpr wchar_t FoldAsciiCase(wchar_t c) {
  return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

}  // namespace updstart
