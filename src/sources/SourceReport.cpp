// Form1's report of the update source the product is configured to use.
#include "app/Form1.h"
#include "product/LanguageTests.h"
#include "sources/ConfigFieldReader.h"
#include "sources/DefaultSource.h"

namespace updstart {

void Form1::ReportDefaultSource() {
  ControlState& channel = window_[ControlName::Label6];
  ControlState& report = window_[ControlName::Label7];
  window_[ControlName::Label2].caption.clear();
  report.caption.clear();
  channel.caption.clear();

  std::unique_ptr<ByteSource> file =
      platform_.OpenFileForReading(product_.sDataRoot + L"\\Data\\updcfg.xml");
  if (!file) return;
  ConfigFieldReader reader(
      *file, [this](std::span<const unsigned char> bytes) { return platform_.AnsiToText(bytes); });
  // Every matching field applies again, so the last one decides; the red of
  // an earlier test-server field stays.
  while (std::optional<std::wstring> field = reader.NextFieldContaining(DefaultSourceLiterals())) {
    switch (ClassifyConfigField(*field)) {
      case DefaultSourceKind::Regular:
        report.caption = RegularReportIsRussian(product_.sLocalization)
                             ? L"Источник обновления по умолчанию: публичные сервера обновления ЛН "
                             : L"Default update source: regular Nordavin Lab servers";
        break;
      case DefaultSourceKind::TestServer:
        report.text_color = kPureRed;
        report.caption = L"Default update source: Nordavin Lab test servers";
        SelectOption(ControlName::Option1);
        if (TestReportIsRussian(product_.sLocalization)) {
          report.caption = L"Источник обновления по умолчанию: тестовые сервера ЛН";
        }
        channel.caption = ExtractChannelText(*field);
        channel.text_color = kPureRed;
        break;
      case DefaultSourceKind::Other:
        break;
    }
  }
}

}  // namespace updstart
