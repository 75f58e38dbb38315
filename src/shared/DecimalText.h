// Whole numbers as decimal text, without the C library's formatted output
// (which would cost the program tens of kilobytes).
#pragma once

#include <cstdint>
#include <string>

namespace updstart {

inline std::wstring DecimalText(std::uint64_t value) {
  wchar_t digits[20];
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  } while (value != 0);
  std::wstring text;
  while (count > 0) text.push_back(digits[--count]);
  return text;
}

}  // namespace updstart
