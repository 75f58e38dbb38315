// Form1's texts about the installed product: the outdated notice with its
// link, the detected-product line, and the Russian interface.
#include "app/Form1.h"
#include "product/LanguageTests.h"
#include "product/OutdatedNotice.h"
#include "sources/BuildHosts.h"

namespace updstart {

void Form1::ShowProductTexts() {
  const std::wstring& name = product_.sProductName;
  const std::wstring& locale = product_.sLocalization;
  ControlState& notice = window_[ControlName::Label4];
  ControlState& link = window_[ControlName::Label5];

  switch (DecideOutdatedNotice(name, product_.BuildNumber)) {
    case OutdatedNotice::None:
      break;
    case OutdatedNotice::Exempt:
      notice.caption.clear();
      link.caption.clear();
      break;
    case OutdatedNotice::Shown:
      notice.caption =
          L"You have a very old antivirus version. Please download and install actual version.";
      link.caption = L"Download new version";
      link.visible = true;
      if (NoticeIsRussian(locale)) {
        notice.caption =
            L"У Вас установлена устаревшая версия антивируса. Рекомендуется обновить версию.";
        link.caption = L"Скачать новую версию антивируса";
      }
      break;
  }

  window_[ControlName::Label3].caption = name.empty() ? L"" : name + L" detected";

  if (!ControlTextsAreRussian(locale)) return;
  if (!name.empty()) window_[ControlName::Label3].caption = L"Обнаружен " + name;
  window_[ControlName::Option2].caption = L"Публичные сервера";
  window_[ControlName::Option1].caption = L"Тестовые сервера";
  window_[ControlName::Command1].caption = L"Обновить";
  window_[ControlName::Command2].caption = L"Закрыть";
  window_[ControlName::Label1].caption = L"Укажите новый источник обновления:";
  window_.combo.tool_tip = L"Выбор источника обновления";
  window_[ControlName::Option3].caption = L"Локальный или сетевой источник обновления";
}

void Form1::Label5_Click() {
  const std::wstring_view site =
      PageIsRussian(product_.sLocalization) ? hosts::kSiteRussian : hosts::kSiteInternational;
  const std::wstring command = L"Explorer http://" + std::wstring(site) + L"/productupdates";
  // The file browser by its full path, never whatever "Explorer" the search
  // order would find first. A failure is not reported.
  platform_.StartProcess(platform_.WindowsFolder() + L"\\explorer.exe", command,
                         WindowShow::Normal);
}

}  // namespace updstart
