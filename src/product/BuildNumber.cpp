#include "product/BuildNumber.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace updstart {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

std::size_t SkipDigits(std::wstring_view text, std::size_t at) {
  while (at < text.size() && IsDigit(text[at])) ++at;
  return at;
}

}  // namespace

std::optional<float> ParseBuildNumber(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);

  bool negative = false;
  if (!text.empty() && (text.front() == L'+' || text.front() == L'-')) {
    negative = text.front() == L'-';
    text.remove_prefix(1);
  }
  // Checked here in full, so that only plain ASCII reaches the conversion.
  std::size_t at = SkipDigits(text, 0);
  std::size_t digits = at;
  if (at < text.size() && text[at] == L'.') {
    std::size_t after = SkipDigits(text, at + 1);
    digits += after - at - 1;
    at = after;
  }
  if (digits == 0) return std::nullopt;
  if (at < text.size() && (text[at] == L'e' || text[at] == L'E')) {
    std::size_t exponent = at + 1;
    if (exponent < text.size() && (text[exponent] == L'+' || text[exponent] == L'-')) ++exponent;
    std::size_t end = SkipDigits(text, exponent);
    if (end == exponent) return std::nullopt;
    at = end;
  }
  if (at != text.size()) return std::nullopt;

  // The text is plain ASCII by now, and the C locale, which the program never
  // changes, reads "." as the decimal point.
  std::vector<char> ascii(text.begin(), text.end());
  ascii.push_back('\0');
  char* end = nullptr;
  double value = std::strtod(ascii.data(), &end);
  if (end != ascii.data() + text.size()) return std::nullopt;
  auto single = static_cast<float>(value);
  if (!std::isfinite(value) || !std::isfinite(single)) return std::nullopt;
  return negative ? -single : single;
}

}  // namespace updstart
