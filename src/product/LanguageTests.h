// Each place that can speak Russian decides by its own test on the product's
// interface locale. The tests differ on purpose; they are gathered here so
// that the differences are visible side by side.
#pragma once

#include <string_view>

namespace updstart {

// The outdated-product notice and the report of a regular default source:
// exactly "ru", "ru-RU" or "ru-UA".
bool NoticeIsRussian(std::wstring_view localization);
bool RegularReportIsRussian(std::wstring_view localization);

// The control texts and the detected-product line: "ru", or "ru-" anywhere.
bool ControlTextsAreRussian(std::wstring_view localization);

// Which product-updates page opens: "ru" anywhere.
bool PageIsRussian(std::wstring_view localization);

// The report of a test-server default: "ru", "ru-" or "-UA" anywhere.
bool TestReportIsRussian(std::wstring_view localization);

// The message when the updater cannot be started: exactly "ru-RU" or "ru".
bool FailureMessageIsRussian(std::wstring_view localization);

}  // namespace updstart
