#include <gtest/gtest.h>

#include <utility>

#include "platform/EventText.h"

namespace updstart {
namespace {

TEST(EventTextTest, HidesTheUserInformationOfEveryUrlAndNothingElse) {
  // clang-format off
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"x UPDATE ftp://user:pw@host/x", L"x UPDATE ftp://***@host/x"},
      {L"ftp://a@b@c:21/d@e", L"ftp://***@c:21/d@e"},  // the authority's last '@'
      {L"1svn+ssh://me@h?x a://p@q", L"1svn+ssh://***@h?x a://***@q"},
      {L"ftp://h/p@x ftp://h?q@b ftp://h#a@b", L"ftp://h/p@x ftp://h?q@b ftp://h#a@b"},
      {L"://u@h \\\\srv\\share@x mail@example.com", L"://u@h \\\\srv\\share@x mail@example.com"},
  };
  // clang-format on
  for (const auto& [text, shown] : cases) EXPECT_EQ(HideUserInfo(text), shown);
}

TEST(EventTextTest, CutsEachStringAndTheWholeToTheLogsLimitsAndMarksTheCut) {
  const std::wstring longest(kLongestEventString, L'a');
  const std::wstring one_more = longest + L"b";
  std::wstring pair_at_cut(kLongestEventString - kCutMark.size() - 1, L'a');
  pair_at_cut += L"\xD83D\xDE00" + std::wstring(20, L'b');
  const std::wstring strings[] = {longest, one_more, pair_at_cut, L"12345", longest};
  std::wstring fitted[5];
  FitEventStrings(strings, fitted);
  EXPECT_EQ(fitted[0], longest);
  EXPECT_EQ(fitted[1],
            std::wstring(kLongestEventString - kCutMark.size(), L'a') + std::wstring(kCutMark));
  // Never half a surrogate pair before the mark.
  EXPECT_EQ(fitted[2], pair_at_cut.substr(0, kLongestEventString - kCutMark.size() - 1) +
                           std::wstring(kCutMark));
  EXPECT_EQ(fitted[3], L"12345");
  std::size_t total = 0;
  for (const std::wstring& each : fitted) total += each.size();
  EXPECT_EQ(total, kLongestEventText);
  EXPECT_TRUE(fitted[4].ends_with(kCutMark));
}

TEST(EventTextTest, ExitCodesInDecimalAndHex) {
  EXPECT_EQ(ExitCodeText(0), L"0 (0x0)");
  EXPECT_EQ(ExitCodeText(255), L"255 (0xFF)");
  EXPECT_EQ(ExitCodeText(0xC0000005), L"3221225477 (0xC0000005)");
  EXPECT_EQ(ExitCodeText(0xFFFFFFFF), L"4294967295 (0xFFFFFFFF)");
}

}  // namespace
}  // namespace updstart
