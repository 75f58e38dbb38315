#include <gtest/gtest.h>

#include "product/BuildNumber.h"

namespace updstart {
namespace {

TEST(BuildNumberTest, PlainNumbers) {
  EXPECT_EQ(ParseBuildNumber(L"1424"), 1424.0f);
  EXPECT_EQ(ParseBuildNumber(L" 1424 "), 1424.0f);
  EXPECT_EQ(ParseBuildNumber(L"\t59"), 59.0f);
  EXPECT_EQ(ParseBuildNumber(L"1424.0"), 1424.0f);
  EXPECT_EQ(ParseBuildNumber(L"-1"), -1.0f);
  EXPECT_EQ(ParseBuildNumber(L"+288"), 288.0f);
  EXPECT_EQ(ParseBuildNumber(L"1e3"), 1000.0f);
  EXPECT_EQ(ParseBuildNumber(L".5"), 0.5f);
  EXPECT_EQ(ParseBuildNumber(L"0"), 0.0f);
  EXPECT_EQ(ParseBuildNumber(L"1e30"), 1e30f);
}

TEST(BuildNumberTest, AnythingElseIsNotANumber) {
  for (const wchar_t* text : {L"", L" ", L"8.0.1.2", L"1,424", L"abc", L"12abc", L"-", L".", L"1e",
                              L"1e+", L"0x10", L"1 424", L"١٤٢٤", L"1e39", L"1e400"}) {
    EXPECT_EQ(ParseBuildNumber(text), std::nullopt) << static_cast<int>(std::wstring(text).size());
  }
}

}  // namespace
}  // namespace updstart
