#include "launch/UpdateCommand.h"

namespace updstart {

namespace {

constexpr std::wstring_view kBlanks = L" \t";
constexpr std::wstring_view kBlanksAndQuote = L" \t\"";

bool Contains(std::wstring_view text, std::wstring_view any_of) {
  return text.find_first_of(any_of) != std::wstring_view::npos;
}

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

// The program's own path is split by simpler rules than its arguments: quotes
// only group, backslashes never escape. A Windows path holds no quote, so
// quotes around it are all it ever needs; without a blank it stays as it is.
std::wstring UpdaterOnCommandLine(std::wstring_view product_root) {
  std::wstring program = UpdaterProgram(product_root);
  return Contains(program, kBlanks) ? L"\"" + program + L"\"" : program;
}

}  // namespace

std::wstring UpdaterProgram(std::wstring_view product_root) {
  return std::wstring(product_root) + L"\\tvx.com";
}

std::wstring InteractiveUpdateCommand(std::wstring_view product_root, std::wstring_view source) {
  return UpdaterOnCommandLine(product_root) + L" " + InteractiveUpdateArguments(source);
}

std::wstring InteractiveUpdateArguments(std::wstring_view source) {
  return L"UPDATE " + QuoteSourceIfNeeded(source);
}

std::wstring UnattendedUpdateCommand(std::wstring_view product_root) {
  return UpdaterOnCommandLine(product_root) + L" update";
}

std::wstring QuoteSourceIfNeeded(std::wstring_view source) {
  if (!Contains(source, kBlanksAndQuote)) return std::wstring(source);
  // Quotes around a source are what "Copy as path" gives and what users type
  // for a folder with blanks: they only group, they are not part of it.
  if (IsWrappedInQuotes(source)) {
    source = source.substr(1, source.size() - 2);
    // Nothing left that needs quotes, so nothing that a plain split could
    // misread; but an emptied source must still arrive as an argument.
    if (!source.empty() && !Contains(source, kBlanksAndQuote)) return std::wstring(source);
  }
  return QuoteArgument(source);
}

}  // namespace updstart
