#include "launch/UpdateCommand.h"

namespace updstart {

namespace {

bool IsWrappedInQuotes(std::wstring_view text) {
  return text.size() >= 2 && text.front() == L'"' && text.back() == L'"';
}

// Backslashes are literal except before a quote, where each pair stands for
// one backslash; so a run of them is doubled exactly when a quote follows.
std::wstring QuoteArgument(std::wstring_view argument) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      quoted.append(backslashes * 2 + 1, L'\\');
    } else {
      quoted.append(backslashes, L'\\');
    }
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, L'\\');
  quoted.push_back(L'"');
  return quoted;
}

}  // namespace

std::wstring UpdaterProgram(std::wstring_view product_root) {
  return std::wstring(product_root) + L"\\tvx.com";
}

std::wstring InteractiveUpdateCommand(std::wstring_view product_root, std::wstring_view source) {
  return UpdaterProgram(product_root) + L" UPDATE" + L" " + QuoteSourceIfNeeded(source);
}

std::wstring UnattendedUpdateCommand(std::wstring_view product_root) {
  return UpdaterProgram(product_root) + L" update";
}

std::wstring QuoteSourceIfNeeded(std::wstring_view source) {
  if (source.find_first_of(L" \t") == std::wstring_view::npos || IsWrappedInQuotes(source)) {
    return std::wstring(source);
  }
  return QuoteArgument(source);
}

}  // namespace updstart
