#include "platform/EventText.h"

#include <algorithm>

#include "shared/AsciiCase.h"
#include "shared/DecimalText.h"

namespace updstart {

namespace {

bool IsLetter(wchar_t c) { return FoldAsciiCase(c) >= L'a' && FoldAsciiCase(c) <= L'z'; }

bool IsSchemeCharacter(wchar_t c) {
  return IsLetter(c) || (c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.';
}

// Whether "://" at `at` ends a scheme: one letter, then scheme characters.
bool EndsScheme(std::wstring_view text, std::size_t at) {
  std::size_t start = at;
  while (start > 0 && IsSchemeCharacter(text[start - 1])) --start;
  while (start < at && !IsLetter(text[start])) ++start;
  return start < at;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

std::wstring HideUserInfo(std::wstring_view text) {
  constexpr std::wstring_view kSeparator = L"://";
  std::wstring hidden;
  std::size_t copied = 0;
  for (std::size_t at = text.find(kSeparator); at != std::wstring_view::npos;
       at = text.find(kSeparator, at + 1)) {
    if (!EndsScheme(text, at)) continue;
    const std::size_t authority = at + kSeparator.size();
    const std::size_t end = std::min(text.find_first_of(L"/?#", authority), text.size());
    const std::size_t at_sign = text.substr(0, end).rfind(L'@');
    if (at_sign == std::wstring_view::npos || at_sign < authority) continue;
    hidden.append(text.substr(copied, authority - copied)).append(kHiddenUserInfo);
    copied = at_sign;
    at = at_sign;
  }
  return hidden.append(text.substr(copied));
}

void FitEventStrings(std::span<const std::wstring> strings, std::span<std::wstring> fitted) {
  std::size_t left = kLongestEventText;
  for (std::size_t index = 0; index < strings.size(); ++index) {
    std::wstring& text = fitted[index];
    text = HideUserInfo(strings[index]);
    const std::size_t room = std::min(kLongestEventString, left);
    if (text.size() > room) {
      std::size_t keep = room > kCutMark.size() ? room - kCutMark.size() : 0;
      if (keep > 0 && IsHighSurrogate(text[keep - 1])) --keep;
      text.resize(keep);
      text.append(kCutMark.substr(0, room - keep));
    }
    left -= text.size();
  }
}

std::wstring FailureLine(std::wstring_view what, std::wstring_view subject, std::uint32_t error,
                         std::wstring_view error_text, std::wstring_view more) {
  std::wstring line(what);
  if (!subject.empty()) line.append(L": ").append(subject);
  line.append(L": error ").append(DecimalText(error));
  if (!error_text.empty()) line.append(L": ").append(error_text);
  if (!more.empty()) line.append(L" ").append(more);
  return line;
}

std::wstring ExitCodeText(std::uint32_t code) {
  constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring hex;
  for (std::uint32_t rest = code; hex.empty() || rest != 0; rest /= 16) {
    hex.insert(hex.begin(), kDigits[rest % 16]);
  }
  return DecimalText(code) + L" (0x" + hex + L")";
}

}  // namespace updstart
