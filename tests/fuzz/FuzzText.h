// Turns fuzzer bytes into wide text the program could really be handed:
// UTF-8 where the bytes are valid UTF-8, and one character per byte (its
// Latin-1 value) where they are not, so every code point stays below
// 0x110000 and no surrogate appears, while readable seed files stay readable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace updstart::fuzz {

inline std::wstring DecodeText(std::span<const std::uint8_t> bytes) {
  std::wstring text;
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::uint8_t lead = bytes[i];
    int length = lead < 0x80                   ? 1
                 : lead >= 0xC0 && lead < 0xE0 ? 2
                 : lead >= 0xE0 && lead < 0xF0 ? 3
                 : lead >= 0xF0 && lead < 0xF8 ? 4
                                               : 0;
    char32_t code_point = length == 1 ? lead : lead & (0x7F >> length);
    bool valid = length > 0 && i + static_cast<std::size_t>(length) <= bytes.size();
    for (int k = 1; valid && k < length; ++k) {
      std::uint8_t next = bytes[i + static_cast<std::size_t>(k)];
      valid = (next & 0xC0) == 0x80;
      code_point = (code_point << 6) | (next & 0x3F);
    }
    static constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    valid = valid && code_point >= kShortest[length] && code_point < 0x110000 &&
            (code_point < 0xD800 || code_point > 0xDFFF);
    if (!valid) {
      text.push_back(static_cast<wchar_t>(lead));
      ++i;
      continue;
    }
    text.push_back(static_cast<wchar_t>(code_point));
    i += static_cast<std::size_t>(length);
  }
  return text;
}

}  // namespace updstart::fuzz
