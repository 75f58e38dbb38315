#include "platform/win32/LocaleNumber.h"

#include <windows.h>

#include <string>

#include "platform/win32/SystemLibrary.h"

namespace updstart::win32 {

namespace {

using TextToSingle = HRESULT(WINAPI*)(const wchar_t* text, LCID locale, ULONG flags, float* value);

// Loaded on the first text that is not plain digits, and kept: the library
// and those it needs cost start-up time that nearly every run can skip.
TextToSingle Conversion() {
  static const UniqueModule automation = LoadSystemLibrary(L"oleaut32.dll");
  static const auto convert = SystemFunction<TextToSingle>(automation.get(), "VarR4FromStr");
  return convert;
}

}  // namespace

std::optional<float> UserLocaleNumber(std::wstring_view text) {
  // The conversion reads up to the first NUL; what would follow is no number.
  if (text.find(L'\0') != std::wstring_view::npos) return std::nullopt;
  TextToSingle convert = Conversion();
  if (!convert) return std::nullopt;
  const std::wstring terminated(text);
  float value = 0;
  if (FAILED(convert(terminated.c_str(), LOCALE_USER_DEFAULT, 0, &value))) return std::nullopt;
  return value;
}

}  // namespace updstart::win32
