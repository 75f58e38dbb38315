#include <gtest/gtest.h>

#include "app/CommandLine.h"

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

}  // namespace
}  // namespace updstart
