#include "app/RunOptions.h"

#include "shared/AsciiCase.h"
#include "shared/WindowsArguments.h"

namespace updstart {

namespace {

bool StartsWithWord(std::wstring_view argument, std::wstring_view word) {
  if (argument.size() < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (FoldAsciiCase(argument[i]) != word[i]) return false;
  }
  return true;
}

bool IsWord(std::wstring_view argument, std::wstring_view word) {
  return argument.size() == word.size() && StartsWithWord(argument, word);
}

// Digits only, no sign or blank, and never more than the longest wait, so
// that no count of digits can overflow.
std::optional<std::uint32_t> WaitMinutes(std::wstring_view text) {
  if (text.empty()) return std::nullopt;
  std::uint32_t minutes = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    minutes = minutes * 10 + static_cast<std::uint32_t>(c - L'0');
    if (minutes > kLongestWaitMinutes) return std::nullopt;
  }
  if (minutes == 0) return std::nullopt;
  return minutes;
}

}  // namespace

RunOptions ReadRunOptions(std::wstring_view argument_text) {
  constexpr std::wstring_view kWait = L"wait";
  constexpr std::wstring_view kWaitFor = L"wait=";
  constexpr std::wstring_view kSource = L"source=";
  RunOptions options;
  std::optional<std::wstring> second_source;
  const auto malformed = [&options](const std::wstring& argument) {
    if (!options.malformed) options.malformed = argument;
  };
  for (const std::wstring& argument : SplitWindowsArguments(argument_text)) {
    if (argument == L"/?") {
      options.usage = true;
    } else if (IsWord(argument, kWait)) {
      options.waits = true;
      options.wait_minutes = kDefaultWaitMinutes;
    } else if (StartsWithWord(argument, kWaitFor)) {
      options.waits = true;
      options.wait_minutes = WaitMinutes(std::wstring_view(argument).substr(kWaitFor.size()));
      if (!options.wait_minutes) malformed(argument);
    } else if (StartsWithWord(argument, kSource)) {
      std::wstring source = argument.substr(kSource.size());
      if (source.empty()) malformed(argument);
      if (options.sources.size() == 1 && !second_source) second_source = argument;
      if (IsWord(source, kOwnSource)) {
        options.sources.emplace_back();
      } else {
        options.sources.emplace_back(std::move(source));
      }
    }
  }
  // Without wait nothing learns the updater's result, so there is nothing
  // to fall back on; and a run that waits is one nobody watches, so no box.
  if (second_source && !options.waits) malformed(*second_source);
  if (options.usage && options.waits) malformed(L"/?");
  return options;
}

}  // namespace updstart
