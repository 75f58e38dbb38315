#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "shared/WindowsArguments.h"

namespace updstart {
namespace {

struct Case {
  const wchar_t* command_line;
  std::size_t closing_quote;
  const wchar_t* args;
};

TEST(CommandLineTest, ArgumentsFollowTheProgramToken) {
  const Case cases[] = {
      {L"\"C:\\Tools\\updstart.exe\" silent", 23, L" silent"},
      {L"\"C:\\Tools\\updstart.exe\"", 23, L""},
      {L"C:\\Tools\\updstart.exe silent", 0, L" silent"},
      {L"C:\\Tools\\updstart.exe\tsilent", 0, L"\tsilent"},
      {L"C:\\Tools\\updstart.exe", 0, L""},
      // A path that merely contains the word is not an argument.
      {L"C:\\silent\\updstart.exe", 0, L""},
      {L"\"C:\\silent tools\\updstart.exe\"", 30, L""},
      {L"C:\\Tools\\updstart.exe \"quoted arg\"", 0, L" \"quoted arg\""},
      {L"\"C:\\Tools\\updstart.exe", 0, L""},
      {L"\"\" silent", 2, L" silent"},
      {L"", 0, L""},
      {L"\"", 0, L""},
      {L"\"C:\\Программы\\u.exe\" тихо", 20, L" тихо"},
  };
  for (const Case& c : cases) {
    ArgumentText split = SplitArguments(c.command_line);
    EXPECT_EQ(split.closing_quote, c.closing_quote) << "case " << (&c - cases);
    EXPECT_EQ(split.args, c.args) << "case " << (&c - cases);
  }
}

TEST(CommandLineTest, ArgumentsSplitAsTheCRuntimeSplitsThem) {
  struct Split {
    const wchar_t* text;
    std::vector<std::wstring> arguments;
  };
  const Split cases[] = {
      {L"", {}},
      {L" \t ", {}},
      {L" silent\twait=5  ", {L"silent", L"wait=5"}},
      {L"\"a b c\" d e", {L"a b c", L"d", L"e"}},
      {L"\"ab\\\"c\" \"\\\\\" d", {L"ab\"c", L"\\", L"d"}},
      {L"a\\\\\\b d\"e f\"g h", {L"a\\\\\\b", L"de fg", L"h"}},
      {L"a\\\\\\\"b c d", {L"a\\\"b", L"c", L"d"}},
      {L"a\\\\\\\\\"b c\" d e", {L"a\\\\b c", L"d", L"e"}},
      // A doubled quote inside a quoted part stands for one and keeps it quoted.
      {L"\"a\"\"b c\" d", {L"a\"b c", L"d"}},
      {L"\"\" x", {L"", L"x"}},
      {L"\"unclosed tail", {L"unclosed tail"}},
      {L"\"source=\\\\srv\\share x\\\\\"", {L"source=\\\\srv\\share x\\"}},
  };
  for (const Split& c : cases) {
    EXPECT_EQ(SplitWindowsArguments(c.text), c.arguments) << "case " << (&c - cases);
  }
}

}  // namespace
}  // namespace updstart
