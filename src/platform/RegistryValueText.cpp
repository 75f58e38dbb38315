#include "platform/RegistryValueText.h"

#include <algorithm>

#include "shared/AsciiCase.h"
#include "shared/DecimalText.h"

namespace updstart {

namespace {

std::uint64_t LittleEndian(std::span<const unsigned char> bytes) {
  std::uint64_t value = 0;
  for (std::size_t i = bytes.size(); i-- > 0;) value = (value << 8) | bytes[i];
  return value;
}

// Variable names compare as Windows compares them: letter case aside.
bool SameName(std::wstring_view a, std::wstring_view b) {
  return std::ranges::equal(
      a, b, [](wchar_t x, wchar_t y) { return FoldAsciiCase(x) == FoldAsciiCase(y); });
}

struct RenamedVariable {
  std::wstring_view name;
  std::wstring_view thirty_two_bit;
};

constexpr RenamedVariable kRenamedVariables[] = {
    {L"ProgramFiles", L"ProgramFiles(x86)"},
    {L"CommonProgramFiles", L"CommonProgramFiles(x86)"},
};

}  // namespace

std::wstring WithThirtyTwoBitFolders(std::wstring_view text,
                                     const std::function<bool(std::wstring_view)>& is_defined) {
  std::wstring result;
  result.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find(L'%', at);
    const std::size_t close = open == std::wstring_view::npos ? open : text.find(L'%', open + 1);
    if (close == std::wstring_view::npos) break;
    result.append(text.substr(at, open - at));
    const std::wstring_view name = text.substr(open + 1, close - open - 1);
    const auto* renamed = std::ranges::find_if(
        kRenamedVariables, [&](const RenamedVariable& each) { return SameName(each.name, name); });
    if (renamed != std::end(kRenamedVariables) && is_defined(renamed->thirty_two_bit)) {
      result.append(L"%").append(renamed->thirty_two_bit).append(L"%");
      at = close + 1;
    } else if (!name.empty() && is_defined(name)) {
      result.append(text.substr(open, close - open + 1));
      at = close + 1;
    } else {
      result.append(text.substr(open, close - open));  // the closing % may open the next
      at = close;
    }
  }
  result.append(text.substr(at));
  return result;
}

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
