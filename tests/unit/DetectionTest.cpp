#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "product/Detection.h"
#include "product/ProbeTable.h"

namespace updstart {
namespace {

using testing::FakePlatform;

const std::wstring kTvx8 = L"SOFTWARE\\NordavinLab\\protected\\TVX8\\environment";
const std::wstring kTvx9 = L"SOFTWARE\\NordavinLab\\protected\\TVX9\\environment";
const std::wstring kTvx16 = L"SOFTWARE\\NordavinLab\\protected\\TVX16\\environment";
const std::wstring kWpn8 = L"SOFTWARE\\NordavinLab\\protected\\WPN8\\environment";
const std::wstring kTvx80 = L"SOFTWARE\\NordavinLab\\protected\\TVX80\\environment";
const std::wstring kTvx7 = L"SOFTWARE\\NordavinLab\\protected\\TVX7\\environment";
const std::wstring kTvx6 = L"SOFTWARE\\NordavinLab\\TVX6\\environment";

TEST(DetectionTest, ProbesInTheFixedOrderUntilTheFirstHit) {
  FakePlatform platform;
  platform.registry[kTvx16] = {{L"ProductRoot", L"C:\\Gen16"}};
  platform.registry[kTvx9] = {{L"ProductRoot", L"C:\\Gen9"}};
  auto record = DetectProduct(platform);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->sProductRoot, L"C:\\Gen9");
  EXPECT_EQ(record->ProductVersion, 9.0);
  EXPECT_EQ(platform.opened_keys, (std::vector<std::wstring>{kTvx8, kTvx9}));
}

TEST(DetectionTest, GenerationNumbersOfTheOddRows) {
  struct Row {
    std::wstring key;
    double generation;
  };
  for (const Row& row : {Row{kWpn8, 16.0}, Row{kTvx80, 8.1}, Row{kTvx7, 7.0}, Row{kTvx6, 6.0}}) {
    FakePlatform platform;
    platform.registry[row.key] = {{L"ProductRoot", L"C:\\P"}};
    auto record = DetectProduct(platform);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->ProductVersion, row.generation);
  }
}

TEST(DetectionTest, WholeTableIsWalkedWhenNothingIsInstalled) {
  FakePlatform platform;
  // A key of the right generation but without the "protected" level is not a probe.
  platform.registry[L"SOFTWARE\\NordavinLab\\TVX8\\environment"] = {{L"ProductRoot", L"C:\\P"}};
  EXPECT_FALSE(DetectProduct(platform));
  ASSERT_EQ(platform.opened_keys.size(), kProbeTable.size());
  EXPECT_EQ(platform.opened_keys.back(), kTvx6);
}

TEST(DetectionTest, EmptyProductRootIsAMissButBlanksAreAHit) {
  FakePlatform platform;
  platform.registry[kTvx8] = {{L"ProductRoot", L""}, {L"ProductName", L"Eight"}};
  platform.registry[kTvx9] = {{L"DataRoot", L"D:\\Nine"}};
  platform.registry[kTvx16] = {{L"ProductRoot", L" "}};
  auto record = DetectProduct(platform);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->ProductVersion, 16.0);
  EXPECT_EQ(record->sProductRoot, L" ");
  // Nothing of the missed keys leaks into the record of the hit.
  EXPECT_EQ(record->sProductName, L"");
  EXPECT_EQ(record->sDataRoot, L"");
}

TEST(DetectionTest, ReadsEachValueInOrderAndLocalizationOnlyOnAHit) {
  FakePlatform platform;
  platform.registry[kTvx8] = {{L"Localization", L"ru-RU"}};
  platform.registry[kTvx9] = {{L"ProductRoot", L"C:\\P"},
                              {L"DataRoot", L"C:\\D"},
                              {L"ProductName", L"Nordavin 9"},
                              {L"Build", L"1424"},
                              {L"Localization", L"en-US"}};
  auto record = DetectProduct(platform);
  ASSERT_TRUE(record);
  EXPECT_EQ(platform.value_reads,
            (std::vector<std::wstring>{
                kTvx8 + L"|ProductRoot", kTvx8 + L"|DataRoot", kTvx8 + L"|ProductName",
                kTvx8 + L"|Build", kTvx9 + L"|ProductRoot", kTvx9 + L"|DataRoot",
                kTvx9 + L"|ProductName", kTvx9 + L"|Build", kTvx9 + L"|Localization"}));
  EXPECT_EQ(record->sDataRoot, L"C:\\D");
  EXPECT_EQ(record->sProductName, L"Nordavin 9");
  EXPECT_EQ(record->BuildNumber, 1424.0f);
  EXPECT_EQ(record->sLocalization, L"en-US");
}

TEST(DetectionTest, OldestGenerationsReadProductRootTwice) {
  FakePlatform platform;
  platform.registry[kTvx6] = {{L"ProductRoot", L"C:\\Six"}};
  auto record = DetectProduct(platform);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->sProductRoot, L"C:\\Six");
  EXPECT_EQ(platform.value_reads.back(), kTvx6 + L"|ProductRoot");
}

TEST(DetectionTest, BuildNumberDescribesTheKeyThatHitOnly) {
  FakePlatform platform;
  platform.registry[kTvx8] = {{L"Build", L"1424"}};
  platform.registry[kTvx9] = {{L"ProductRoot", L"C:\\P"}, {L"Build", L"8.0.1.2"}};
  auto record = DetectProduct(platform);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->BuildNumber, 0.0f);
}

TEST(DetectionTest, MissingValuesOfAHitAreEmpty) {
  FakePlatform platform;
  platform.registry[kTvx8] = {{L"ProductRoot", L"C:\\P"}};
  auto record = DetectProduct(platform);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->sDataRoot, L"");
  EXPECT_EQ(record->sLocalization, L"");
  EXPECT_EQ(record->BuildNumber, 0.0f);
}

}  // namespace
}  // namespace updstart
