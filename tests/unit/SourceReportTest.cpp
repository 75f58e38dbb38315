#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "app/Form1.h"
#include "sources/DefaultSource.h"

namespace updstart {
namespace {

using testing::FakePlatform;

const std::string kRegularLine =
    "<server name=\"main\" url=\"http://update01.nordavin.example\" weight=\"1\"/>\r\n";
const std::string kTestLine =
    "<server url=\"ftp://test-ftp.nordavin.example/test/ap\" weight=\"5\"/>\r\n";

struct Loaded {
  FakePlatform platform;
  std::unique_ptr<Form1> form;
  const WindowState& state() const { return form->state(); }
};

std::unique_ptr<Loaded> Load(std::optional<std::string> config, const wchar_t* locale = L"en-US",
                             const wchar_t* data_root = L"D:\\Data Root") {
  auto l = std::make_unique<Loaded>();
  l->platform.registry[L"SOFTWARE\\NordavinLab\\protected\\TVX8\\environment"] = {
      {L"ProductRoot", L"C:\\P"}, {L"DataRoot", data_root}, {L"Localization", locale}};
  if (config) l->platform.files[std::wstring(data_root) + L"\\Data\\updcfg.xml"] = *config;
  l->form = std::make_unique<Form1>(l->platform);
  EXPECT_EQ(l->form->Form_Load(), std::nullopt);
  return l;
}

TEST(SourceReportTest, NoFileOrNoMatchLeavesTheLabelsEmpty) {
  for (auto& config : {std::optional<std::string>(), std::optional<std::string>(""),
                       std::optional<std::string>("<config>\r\n<a b=\"c\"/>\r\n")}) {
    auto l = Load(config);
    EXPECT_EQ(l->state()[ControlName::Label2].caption, L"");
    EXPECT_EQ(l->state()[ControlName::Label6].caption, L"");
    EXPECT_EQ(l->state()[ControlName::Label7].caption, L"");
    EXPECT_TRUE(l->state()[ControlName::Option2].value);
    EXPECT_EQ(l->state().combo.items.size(), 22u);
  }
}

TEST(SourceReportTest, EmptyDataRootLooksAtTheDriveRoot) {
  auto l = Load(kRegularLine, L"en-US", L"");
  EXPECT_EQ(l->state()[ControlName::Label7].caption,
            L"Default update source: regular Nordavin Lab servers");
}

TEST(SourceReportTest, RegularServers) {
  auto l = Load("<x>\r\n" + kRegularLine);
  EXPECT_EQ(l->state()[ControlName::Label7].caption,
            L"Default update source: regular Nordavin Lab servers");
  EXPECT_EQ(l->state()[ControlName::Label7].text_color, std::nullopt);
  EXPECT_EQ(Load(kRegularLine, L"ru-UA")->state()[ControlName::Label7].caption,
            L"Источник обновления по умолчанию: публичные сервера обновления ЛН ");
  EXPECT_EQ(Load(kRegularLine, L"xx-ru-yy")->state()[ControlName::Label7].caption,
            L"Default update source: regular Nordavin Lab servers");
}

TEST(SourceReportTest, TestServerOpensOnTheTestList) {
  auto l = Load(kTestLine);
  const WindowState& w = l->state();
  EXPECT_EQ(w[ControlName::Label7].caption, L"Default update source: Nordavin Lab test servers");
  EXPECT_EQ(w[ControlName::Label7].text_color, kPureRed);
  EXPECT_EQ(w[ControlName::Label6].caption, L"ftp://test-ftp.nordavin.example/test/ap");
  EXPECT_EQ(w[ControlName::Label6].text_color, kPureRed);
  EXPECT_TRUE(w[ControlName::Option1].value);
  EXPECT_EQ(w.combo.items.size(), 12u);
  EXPECT_EQ(w.combo.items[0], L"ftp://test-ftp.nordavin.example/test/ap");
  for (auto* russian : {L"ru", L"xx-ru-yy", L"-UA"}) {
    EXPECT_EQ(Load(kTestLine, russian)->state()[ControlName::Label7].caption,
              L"Источник обновления по умолчанию: тестовые сервера ЛН");
  }
}

TEST(SourceReportTest, TheLastMatchingFieldDecidesAndRedStays) {
  auto l = Load(kTestLine + kRegularLine);
  const WindowState& w = l->state();
  EXPECT_EQ(w[ControlName::Label7].caption, L"Default update source: regular Nordavin Lab servers");
  EXPECT_EQ(w[ControlName::Label7].text_color, kPureRed);
  EXPECT_EQ(w[ControlName::Label6].caption, L"ftp://test-ftp.nordavin.example/test/ap");
  EXPECT_TRUE(w[ControlName::Option1].value);
  EXPECT_EQ(w.combo.items.size(), 12u);  // two test fields would not switch twice

  auto reverse = Load(kRegularLine + kTestLine + kTestLine);
  EXPECT_EQ(reverse->state()[ControlName::Label7].caption,
            L"Default update source: Nordavin Lab test servers");
  EXPECT_EQ(reverse->state().combo.items.size(), 12u);
}

TEST(SourceReportTest, ChannelExtraction) {
  struct Case {
    const wchar_t* field;
    const wchar_t* channel;
  };
  const Case cases[] = {
      {L"url=\"ftp://h/test/ap\" weight=\"5\"", L"ftp://h/test/ap"},
      {L"url=\"ftp://h/test/ap\" WEIGHT=\"5\"", L"ftp://h/test/ap"},
      // Only the last "weight" counts; an earlier one stays in the value.
      {L"url=\"ftp://h/weight/ap\" weight=\"5\"", L"ftp://h/weight/ap"},
      // No "=": from the second character. No "weight": all but the last seven.
      {L"ftp://h/test/ap", L"tp://h/"},
      {L"a=\"ftp://h/test/ap\"", L"ftp://h/t"},
      {L"=", L""},
      {L"", L""},
      {L"x=\"", L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtractChannelText(c.field), c.channel) << "case " << (&c - cases);
  }
}

TEST(SourceReportTest, FieldsAreClassifiedByTheirHosts) {
  EXPECT_EQ(ClassifyConfigField(L"http://update01.nordavin.example"), DefaultSourceKind::Regular);
  EXPECT_EQ(ClassifyConfigField(L"http://update02.nordavin.example"), DefaultSourceKind::Other);
  EXPECT_EQ(ClassifyConfigField(L"http://203.0.113.10"), DefaultSourceKind::Other);
  EXPECT_EQ(ClassifyConfigField(L"ftp://other-ftp.nordavin.example/test/x"),
            DefaultSourceKind::TestServer);
  EXPECT_EQ(ClassifyConfigField(L"ftp://test-ftp.nordavin.example/prod/x"),
            DefaultSourceKind::Other);
  EXPECT_EQ(ClassifyConfigField(L"HTTP://UPDATE01.NORDAVIN.EXAMPLE"), DefaultSourceKind::Other);
}

}  // namespace
}  // namespace updstart
