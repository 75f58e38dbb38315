#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "product/BuildNumber.h"

namespace updstart {
namespace {

using testing::FakePlatform;

TEST(BuildNumberTest, PlainDigitsAreReadWithoutTheLocale) {
  FakePlatform platform;
  EXPECT_EQ(ParseBuildNumber(L"1424", platform), 1424.0f);
  EXPECT_EQ(ParseBuildNumber(L"0059", platform), 59.0f);
  EXPECT_EQ(ParseBuildNumber(L"0", platform), 0.0f);
  EXPECT_EQ(ParseBuildNumber(L"16777217", platform), 16777216.0f);  // rounded as a float
  EXPECT_EQ(ParseBuildNumber(std::wstring(38, L'9'), platform), 1e38f);
  // Beyond a float: no number, as the system's conversion says too.
  EXPECT_EQ(ParseBuildNumber(std::wstring(39, L'9'), platform), std::nullopt);
  EXPECT_EQ(ParseBuildNumber(std::wstring(400, L'9'), platform), std::nullopt);
  // Each probe that misses reads an empty Build.
  EXPECT_EQ(ParseBuildNumber(L"", platform), std::nullopt);
  EXPECT_TRUE(platform.locale_number_requests.empty());
}

TEST(BuildNumberTest, AnythingElseIsReadAsTheUserLocaleReadsIt) {
  FakePlatform platform;
  platform.locale_numbers = {{L"1424,0", 1424.0f}, {L" 1424 ", 1424.0f}, {L"&H590", 1424.0f}};
  EXPECT_EQ(ParseBuildNumber(L"1424,0", platform), 1424.0f);
  EXPECT_EQ(ParseBuildNumber(L" 1424 ", platform), 1424.0f);
  EXPECT_EQ(ParseBuildNumber(L"&H590", platform), 1424.0f);
  EXPECT_EQ(ParseBuildNumber(L"8.0.1.2", platform), std::nullopt);
  // Digits of other scripts are no plain digits.
  EXPECT_EQ(ParseBuildNumber(L"١٤٢٤", platform), std::nullopt);
  EXPECT_EQ(platform.locale_number_requests,
            (std::vector<std::wstring>{L"1424,0", L" 1424 ", L"&H590", L"8.0.1.2", L"١٤٢٤"}));
}

}  // namespace
}  // namespace updstart
