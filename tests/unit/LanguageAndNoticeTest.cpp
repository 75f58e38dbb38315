#include <gtest/gtest.h>

#include "product/LanguageTests.h"
#include "product/OutdatedNotice.h"

namespace updstart {
namespace {

// Locales chosen to tell the places apart: each row says which places speak
// Russian for it, in the order notice, control texts, page, regular report,
// test report, failure message.
TEST(LanguageTestsTest, EachPlaceHasItsOwnTest) {
  struct Row {
    const wchar_t* locale;
    bool notice, controls, page, regular, test, failure;
  };
  const Row rows[] = {
      {L"ru", true, true, true, true, true, true},
      {L"ru-RU", true, true, true, true, true, true},
      {L"ru-UA", true, true, true, true, true, false},
      {L"xx-ru-yy", false, true, true, false, true, false},
      {L"-UA", false, false, false, false, true, false},
      {L"rus", false, false, true, false, false, false},
      {L"RU-RU", false, false, false, false, false, false},
      {L"RU", false, false, false, false, false, false},
      {L"en-US", false, false, false, false, false, false},
      {L"", false, false, false, false, false, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "row " << (&r - rows));
    EXPECT_EQ(NoticeIsRussian(r.locale), r.notice);
    EXPECT_EQ(ControlTextsAreRussian(r.locale), r.controls);
    EXPECT_EQ(PageIsRussian(r.locale), r.page);
    EXPECT_EQ(RegularReportIsRussian(r.locale), r.regular);
    EXPECT_EQ(TestReportIsRussian(r.locale), r.test);
    EXPECT_EQ(FailureMessageIsRussian(r.locale), r.failure);
  }
}

TEST(OutdatedNoticeTest, OldNamesUnlessTheBuildIsExempt) {
  for (const wchar_t* name : {L"Nordavin 6.0", L"Nordavin 7.0 Pro", L"Suite 2009", L"Suite 2010",
                              L"Vardexon Antivirus"}) {
    EXPECT_EQ(DecideOutdatedNotice(name, 1000), OutdatedNotice::Shown) << name;
    for (float exempt : {1424.0f, 59.0f, 288.0f, 199.0f, 192.0f}) {
      EXPECT_EQ(DecideOutdatedNotice(name, exempt), OutdatedNotice::Exempt);
    }
  }
  for (const wchar_t* name : {L"", L"Nordavin 16", L"Nordavin 8.0", L"vardexon", L"Suite 2011"}) {
    EXPECT_EQ(DecideOutdatedNotice(name, 1000), OutdatedNotice::None) << name;
    EXPECT_EQ(DecideOutdatedNotice(name, 1424), OutdatedNotice::None) << name;
  }
  EXPECT_EQ(DecideOutdatedNotice(L"Suite 2010", 1424.5f), OutdatedNotice::Shown);
}

}  // namespace
}  // namespace updstart
