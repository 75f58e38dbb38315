// What the window says about the installed product, each text in the
// language its own place chooses (LanguageTests.h).
#pragma once

#include <string>
#include <string_view>

namespace updstart {

// The notice for an outdated product, and the caption of its link.
struct NoticeTexts {
  std::wstring_view notice;
  std::wstring_view link;
};
NoticeTexts OutdatedNoticeTexts(std::wstring_view localization);

// "<name> detected" or its Russian form; "" for a product without a name.
std::wstring DetectedProductLine(std::wstring_view name, std::wstring_view localization);

// The captions that change when ControlTextsAreRussian holds.
struct RussianControlTexts {
  std::wstring_view regular_option;
  std::wstring_view test_option;
  std::wstring_view update;
  std::wstring_view close;
  std::wstring_view source_prompt;
  std::wstring_view source_tool_tip;
  std::wstring_view folder_option;
};
inline constexpr RussianControlTexts kRussianControlTexts{
    L"Публичные сервера",
    L"Тестовые сервера",
    L"Обновить",
    L"Закрыть",
    L"Укажите новый источник обновления:",
    L"Выбор источника обновления",
    L"Локальный или сетевой источник обновления",
};

// The command line that opens the vendor's product-updates page in the
// system's file browser.
std::wstring ProductUpdatesPageCommand(std::wstring_view localization);

}  // namespace updstart
