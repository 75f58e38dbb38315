#include <gtest/gtest.h>

#include <vector>

#include "platform/RegistryValueText.h"

namespace updstart {
namespace {

std::vector<unsigned char> Utf16(std::u16string_view text) {
  std::vector<unsigned char> bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<unsigned char>(unit & 0xFF));
    bytes.push_back(static_cast<unsigned char>(unit >> 8));
  }
  return bytes;
}

constexpr std::uint32_t kSz = 1, kExpandSz = 2, kBinary = 3, kDword = 4, kBigEndian = 5,
                        kMultiSz = 7, kQword = 11;

TEST(RegistryValueTextTest, StringsComeBackWhole) {
  EXPECT_EQ(RegistryDataToText(kSz, Utf16(u"C:\\Nordavin\0")), L"C:\\Nordavin");
  // Stored without its NUL: the last character must survive.
  EXPECT_EQ(RegistryDataToText(kSz, Utf16(u"C:\\Nordavin")), L"C:\\Nordavin");
  EXPECT_EQ(RegistryDataToText(kSz, Utf16(u"")), L"");
  EXPECT_EQ(RegistryDataToText(kSz, Utf16(std::u16string_view(u"\0", 1))), L"");
  EXPECT_EQ(RegistryDataToText(kSz, Utf16(std::u16string_view(u"ab\0cd\0", 6))), L"ab");
  EXPECT_EQ(RegistryDataToText(kExpandSz, Utf16(u"%SystemDrive%\\P")), L"%SystemDrive%\\P");
}

TEST(RegistryValueTextTest, TextOutsideAnyCodePageSurvives) {
  EXPECT_EQ(RegistryDataToText(kSz, Utf16(u"C:\\Программы\\Антивирус")),
            L"C:\\Программы\\Антивирус");
  EXPECT_EQ(RegistryDataToText(kSz, Utf16(u"a\U0001F600b")), L"a\U0001F600b");
}

TEST(RegistryValueTextTest, OddTrailingByteIsIgnored) {
  auto bytes = Utf16(u"ab");
  bytes.push_back('c');
  EXPECT_EQ(RegistryDataToText(kSz, bytes), L"ab");
}

TEST(RegistryValueTextTest, NumbersReadAsDecimalText) {
  EXPECT_EQ(RegistryDataToText(kDword, std::vector<unsigned char>{0x90, 0x05, 0, 0}), L"1424");
  EXPECT_EQ(RegistryDataToText(kDword, std::vector<unsigned char>{0xFF, 0xFF, 0xFF, 0xFF}),
            L"4294967295");
  EXPECT_EQ(RegistryDataToText(kQword, std::vector<unsigned char>(8, 0xFF)),
            L"18446744073709551615");
  EXPECT_EQ(RegistryDataToText(kQword, std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0, 0}), L"0");
  // Malformed sizes read as nothing rather than as a guess.
  EXPECT_EQ(RegistryDataToText(kDword, std::vector<unsigned char>{1, 2}), L"");
  EXPECT_EQ(RegistryDataToText(kQword, std::vector<unsigned char>{1, 2, 3, 4}), L"");
}

TEST(RegistryValueTextTest, OtherTypesReadAsEmpty) {
  EXPECT_EQ(RegistryDataToText(kBinary, Utf16(u"C:\\P")), L"");
  EXPECT_EQ(RegistryDataToText(kMultiSz, Utf16(std::u16string_view(u"C:\\P\0\0", 6))), L"");
  EXPECT_EQ(RegistryDataToText(kBigEndian, std::vector<unsigned char>{0, 0, 5, 0x90}), L"");
  EXPECT_EQ(RegistryDataToText(0, Utf16(u"x")), L"");
  EXPECT_EQ(RegistryDataToText(kSz, {}), L"");
}

TEST(RegistryValueTextTest, VeryLongValuesAreNotCut) {
  std::u16string long_text(64 * 1024, u'x');
  long_text.back() = u'y';
  std::wstring text = RegistryDataToText(kSz, Utf16(long_text));
  ASSERT_EQ(text.size(), long_text.size());
  EXPECT_EQ(text.back(), L'y');
}

}  // namespace
}  // namespace updstart
