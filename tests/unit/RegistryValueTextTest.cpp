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

TEST(RegistryValueTextTest, FolderVariablesNameTheFoldersA32BitProgramSees) {
  const auto on_64_bit = [](std::wstring_view name) {
    for (std::wstring_view known : {L"ProgramFiles", L"ProgramFiles(x86)", L"CommonProgramFiles",
                                    L"CommonProgramFiles(x86)", L"SystemDrive"}) {
      if (name == known) return true;
    }
    return false;
  };
  struct Case {
    const wchar_t* stored;
    const wchar_t* expanded_as;
  };
  const Case cases[] = {
      {L"%ProgramFiles%\\Nordavin", L"%ProgramFiles(x86)%\\Nordavin"},
      {L"%PROGRAMFILES%\\N;%CommonProgramFiles%",
       L"%ProgramFiles(x86)%\\N;%CommonProgramFiles(x86)%"},
      {L"%SystemDrive%\\P", L"%SystemDrive%\\P"},
      {L"%ProgramW6432%\\P", L"%ProgramW6432%\\P"},
      // An unknown name's closing % opens the next name, as Windows reads it.
      {L"%unknown%ProgramFiles%", L"%unknown%ProgramFiles(x86)%"},
      {L"100%ProgramFiles%", L"100%ProgramFiles(x86)%"},
      {L"%ProgramFiles", L"%ProgramFiles"},
      {L"%%ProgramFiles%", L"%%ProgramFiles(x86)%"},
      {L"", L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WithThirtyTwoBitFolders(c.stored, on_64_bit), c.expanded_as) << c.stored;
  }
  const auto on_32_bit = [](std::wstring_view name) { return name == L"ProgramFiles"; };
  EXPECT_EQ(WithThirtyTwoBitFolders(L"%ProgramFiles%\\N", on_32_bit), L"%ProgramFiles%\\N");
}

}  // namespace
}  // namespace updstart
