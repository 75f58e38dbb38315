#include <gtest/gtest.h>

#include <string>

#include "shared/Wildcard.h"

namespace updstart {
namespace {

struct Case {
  const wchar_t* text;
  const wchar_t* pattern;
  bool matches;
};

TEST(WildcardTest, MatchesWholeTextCaseSensitively) {
  const Case cases[] = {
      {L" silent", L"*silent*", true},
      {L"/silent", L"*silent*", true},
      {L"xsilentx", L"*silent*", true},
      {L"silent", L"*silent*", true},
      {L" SILENT", L"*silent*", false},
      {L" Silent", L"*silent*", false},
      {L"", L"*silent*", false},
      {L"", L"", true},
      {L"", L"*", true},
      {L"abc", L"", false},
      {L"abc", L"abc", true},
      {L"abcd", L"abc", false},
      {L"abc", L"abcd", false},
      {L"Product 2010 Suite", L"*2010*", true},
      {L"ru-RU", L"*ru-*", true},
      {L"xx-UA", L"*-UA*", true},
      {L"aXbXc", L"a*b*c", true},
      {L"abcbc", L"*bc", true},
      {L"abcbd", L"*bc", false},
      {L"mississippi", L"*iss*ppi", true},
      {L"mississippi", L"m*si*pi", true},
      {L"mississippi", L"m*si*px", false},
      {L"a?c", L"a?c", true},
      {L"abc", L"a?c", false},  // only '*' is special
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WildcardMatch(c.text, c.pattern), c.matches)
        << "text \"" << std::wstring(c.text).size() << " chars\" pattern index " << (&c - cases);
  }
}

TEST(WildcardTest, ManyStarsOverALongNearMissStayFast) {
  // Backtracking into every star would take astronomically long here.
  std::wstring text(20000, L'a');
  EXPECT_FALSE(WildcardMatch(text, L"*a*a*a*a*a*a*a*a*a*a*b"));
  text.back() = L'b';
  EXPECT_TRUE(WildcardMatch(text, L"*a*a*a*a*a*a*a*a*a*a*b"));
}

}  // namespace
}  // namespace updstart
