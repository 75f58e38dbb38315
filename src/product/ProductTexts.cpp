#include "product/ProductTexts.h"

#include "product/LanguageTests.h"
#include "shared/BuildHosts.h"

namespace updstart {

NoticeTexts OutdatedNoticeTexts(std::wstring_view localization) {
  if (NoticeIsRussian(localization)) {
    return {L"У Вас установлена устаревшая версия антивируса. Рекомендуется обновить версию.",
            L"Скачать новую версию антивируса"};
  }
  return {L"You have a very old antivirus version. Please download and install actual version.",
          L"Download new version"};
}

std::wstring DetectedProductLine(std::wstring_view name, std::wstring_view localization) {
  if (name.empty()) return {};
  if (ControlTextsAreRussian(localization)) return L"Обнаружен " + std::wstring(name);
  return std::wstring(name) + L" detected";
}

std::wstring ProductUpdatesPageCommand(std::wstring_view localization) {
  const std::wstring_view site =
      PageIsRussian(localization) ? hosts::kSiteRussian : hosts::kSiteInternational;
  return L"Explorer http://" + std::wstring(site) + L"/productupdates";
}

}  // namespace updstart
