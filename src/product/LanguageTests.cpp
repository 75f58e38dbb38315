#include "product/LanguageTests.h"

#include "shared/Wildcard.h"

namespace updstart {

bool NoticeIsRussian(std::wstring_view localization) {
  return localization == L"ru" || localization == L"ru-RU" || localization == L"ru-UA";
}

bool RegularReportIsRussian(std::wstring_view localization) {
  return NoticeIsRussian(localization);
}

bool ControlTextsAreRussian(std::wstring_view localization) {
  return localization == L"ru" || WildcardMatch(localization, L"*ru-*");
}

bool PageIsRussian(std::wstring_view localization) { return WildcardMatch(localization, L"*ru*"); }

bool TestReportIsRussian(std::wstring_view localization) {
  return localization == L"ru" || WildcardMatch(localization, L"*ru-*") ||
         WildcardMatch(localization, L"*-UA*");
}

bool FailureMessageIsRussian(std::wstring_view localization) {
  return localization == L"ru-RU" || localization == L"ru";
}

}  // namespace updstart
