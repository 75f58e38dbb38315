#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "app/Form1.h"
#include "sources/DefaultSource.h"

#include <algorithm>

namespace updstart {
namespace {

using testing::FakePlatform;

const std::string kRegularLine =
    "<server name=\"main\" url=\"http://update01.nordavin.example\" weight=\"1\"/>\r\n";
const std::string kTestLine =
    "<server url=\"ftp://test-ftp.nordavin.example/test/ap\" weight=\"5\"/>\r\n";

// The channel text exactly as the rules spell it out, on a whole field.
std::wstring RulesChannel(std::wstring field) {
  auto find_ignoring_case = [](const std::wstring& text, const std::wstring& what) {
    auto fold = [](wchar_t c) { return (c >= L'A' && c <= L'Z') ? c - L'A' + L'a' : c; };
    auto at = std::search(text.begin(), text.end(), what.begin(), what.end(),
                          [&](wchar_t a, wchar_t b) { return fold(a) == fold(b); });
    return at == text.end() ? 0 : static_cast<std::size_t>(at - text.begin()) + 1;
  };
  auto from = [](const std::wstring& text, std::size_t p) {
    return p > text.size() ? std::wstring() : text.substr(p - 1);
  };
  std::wstring t = from(field, find_ignoring_case(field, L"=") + 2);
  std::reverse(t.begin(), t.end());
  t = from(t, find_ignoring_case(t, L"thgiew") + 8);
  std::reverse(t.begin(), t.end());
  return t;
}

struct Scanned {
  DefaultSourceKind kind;
  std::wstring channel;
};

// One field through the scan, in pieces of `step` characters.
Scanned Scan(std::wstring_view field, std::size_t step = 65536) {
  SourceFieldScan scan;
  for (std::size_t at = 0; at < field.size(); at += step) scan.Append(field.substr(at, step));
  scan.End(0);
  return {scan.kind(), scan.channel()};
}

struct Loaded {
  FakePlatform platform;
  std::unique_ptr<Form1> form;
  const WindowState& state() const { return form->state(); }
};

std::unique_ptr<Loaded> Load(
    std::optional<std::string> config, const wchar_t* locale = L"en-US",
    const wchar_t* data_root = L"D:\\Data Root",
    AnsiCodePageShape::Kind code_page = AnsiCodePageShape::Kind::SingleByte) {
  auto l = std::make_unique<Loaded>();
  l->platform.ansi_shape.kind = code_page;
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
  // Under code page 65001 the comma after a cut sequence still ends the field.
  EXPECT_EQ(Load("ftp://test-ftp.nordavin.example/test/ap\xE0,\xC2", L"en-US", L"D:\\Data Root",
                 AnsiCodePageShape::Kind::Utf8)
                ->state()[ControlName::Label6]
                .caption,
            L"tp://test-ftp.nordavin.example/t");
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

  // Under code page 65001 a sequence cut short by a comma, the comma the
  // last byte of the first 16 KiB read, and another at the end: two fields.
  const std::string test_field = "-ftp.nordavin.example/test/" + std::string(16354, 'x');
  auto cut = Load(test_field + "\xE0,\xC2update01.nordavin.example", L"en-US", L"D:\\Data Root",
                  AnsiCodePageShape::Kind::Utf8);
  const WindowState& c = cut->state();
  EXPECT_EQ(c[ControlName::Label7].caption, L"Default update source: regular Nordavin Lab servers");
  EXPECT_EQ(c[ControlName::Label7].text_color, kPureRed);
  EXPECT_TRUE(c[ControlName::Label6].caption ==
              RulesChannel(std::wstring(test_field.begin(), test_field.end()) + L"\xFFFD"));
  EXPECT_TRUE(c[ControlName::Option1].value);
}

TEST(SourceReportTest, ChannelExtraction) {
  const wchar_t* const fields[] = {
      L"url=\"ftp://h/test/ap\" weight=\"5\"",
      L"url=\"ftp://h/test/ap\" WEIGHT=\"5\"",
      // Only the last "weight" counts; an earlier one stays in the value.
      L"url=\"ftp://h/weight/ap\" weight=\"5\"",
      // No "=": from the second character. No "weight": all but the last seven.
      L"ftp://h/test/ap",
      L"a=\"ftp://h/test/ap\"",
      // A "weight" before the channel's start is not in its text.
      L"weight=\"ftp://h/test/ap\"",
      L"xweigh=t\"ftp://h/test/ap\"",
      L"=",
      L"",
      L"x=\"",
      L"a=\"\" weight",
  };
  for (const wchar_t* field : fields) {
    // Pieces of every size meet the "=" and the "weight" at every border.
    for (std::size_t step : {1, 2, 5, 65536}) {
      const std::wstring test_field = std::wstring(field) + L" -ftp.nordavin.example/test/";
      EXPECT_EQ(Scan(test_field, step).channel, RulesChannel(test_field)) << field << " " << step;
    }
  }
  EXPECT_EQ(RulesChannel(L"url=\"ftp://h/test/ap\" weight=\"5\""), L"ftp://h/test/ap");
}

TEST(SourceReportTest, FieldsAreClassifiedByTheirHosts) {
  struct Case {
    const wchar_t* field;
    DefaultSourceKind kind;
  };
  const Case cases[] = {
      {L"http://update01.nordavin.example", DefaultSourceKind::Regular},
      {L"http://update02.nordavin.example", DefaultSourceKind::Other},
      {L"http://203.0.113.10", DefaultSourceKind::Other},
      {L"ftp://other-ftp.nordavin.example/test/x", DefaultSourceKind::TestServer},
      {L"ftp://test-ftp.nordavin.example/prod/x", DefaultSourceKind::Other},
      {L"HTTP://UPDATE01.NORDAVIN.EXAMPLE", DefaultSourceKind::Other},
      // The regular host wins wherever it stands.
      {L"ftp://test-ftp.nordavin.example/test/x update01.nordavin.example",
       DefaultSourceKind::Regular},
  };
  for (const Case& c : cases) {
    for (std::size_t step : {1, 3, 7, 65536}) {
      EXPECT_EQ(Scan(c.field, step).kind, c.kind) << c.field << " " << step;
    }
  }
}

// XML written without indentation is one line, and with no comma one field:
// the report comes from it at any length.
TEST(SourceReportTest, OneLineFilesOfAnyLength) {
  const std::string regular = R"(<src url="http://update01.nordavin.example/bases" weight="5"/>)";
  const std::string test = R"(<src url="ftp://test-ftp.nordavin.example/test/ap" weight="5"/>)";
  const std::string mirror = R"(<mirror url="http://update07.nordavin.example/bases" weight="3"/>)";
  for (std::size_t size : {16383, 16385, 40960, 1 << 20}) {
    for (bool is_regular : {true, false}) {
      const std::string& source = is_regular ? regular : test;
      std::string line = R"(<?xml version="1.0"?><config>)" + source;
      const std::string end = "</config>";
      while (line.size() + mirror.size() + end.size() + 7 <= size) line += mirror;
      line += "<!--" + std::string(size - line.size() - end.size() - 7, 'x') + "-->" + end;
      ASSERT_EQ(line.size(), size);
      SCOPED_TRACE(std::to_string(size) + " " + source);
      auto l = Load(line);
      const WindowState& w = l->state();
      if (is_regular) {
        EXPECT_EQ(w[ControlName::Label7].caption,
                  L"Default update source: regular Nordavin Lab servers");
        EXPECT_EQ(w[ControlName::Label6].caption, L"");
      } else {
        EXPECT_EQ(w[ControlName::Label7].caption,
                  L"Default update source: Nordavin Lab test servers");
        // Compared whole, not printed: the texts run to thousands of characters.
        const std::wstring expected = RulesChannel(std::wstring(line.begin(), line.end()))
                                          .substr(0, SourceFieldScan::kLongestChannel);
        EXPECT_TRUE(w[ControlName::Label6].caption == expected)
            << w[ControlName::Label6].caption.size() << " characters, not " << expected.size();
      }
    }
  }
  // Blanks after a field, thousands of them, are no part of it.
  const std::string blanks(5000, ' ');
  EXPECT_EQ(Load("http://update01.nordavin.example" + blanks + "\r\n")
                ->state()[ControlName::Label7]
                .caption,
            L"Default update source: regular Nordavin Lab servers");
  EXPECT_EQ(Load("u=\"ftp://test-ftp.nordavin.example/test/ap\"" + blanks + "\t" + blanks)
                ->state()[ControlName::Label6]
                .caption,
            L"ftp://test-ftp.nordavin.example/t");
}

}  // namespace
}  // namespace updstart
