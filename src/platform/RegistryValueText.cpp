#include "platform/RegistryValueText.h"

#include "shared/DecimalText.h"

namespace updstart {

namespace {

std::uint64_t LittleEndian(std::span<const unsigned char> bytes) {
  std::uint64_t value = 0;
  for (std::size_t i = bytes.size(); i-- > 0;) value = (value << 8) | bytes[i];
  return value;
}

}  // namespace

std::wstring Utf16LeToText(std::span<const unsigned char> bytes) {
  std::wstring text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    auto unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    if constexpr (sizeof(wchar_t) == 2) {
      text.push_back(static_cast<wchar_t>(unit));
    } else {
      // Where wchar_t holds whole code points, join surrogate pairs so that
      // text means the same on both kinds of system.
      if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
        auto low = static_cast<char16_t>(bytes[i + 2] | (bytes[i + 3] << 8));
        if (low >= 0xDC00 && low < 0xE000) {
          text.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
          i += 2;
          continue;
        }
      }
      text.push_back(static_cast<wchar_t>(unit));
    }
  }
  return text;
}

std::wstring RegistryDataToText(std::uint32_t type, std::span<const unsigned char> data) {
  switch (static_cast<RegistryType>(type)) {
    case RegistryType::String:
    case RegistryType::ExpandString: {
      std::wstring text = Utf16LeToText(data);
      // Windows reads a string up to its NUL; whatever follows is not part of it.
      if (auto nul = text.find(L'\0'); nul != std::wstring::npos) text.resize(nul);
      return text;
    }
    case RegistryType::Dword:
      return data.size() == 4 ? DecimalText(LittleEndian(data)) : std::wstring();
    case RegistryType::Qword:
      return data.size() == 8 ? DecimalText(LittleEndian(data)) : std::wstring();
    default:
      return {};
  }
}

}  // namespace updstart
