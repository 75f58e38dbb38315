#include <gtest/gtest.h>

#include "WindowsArguments.h"
#include "launch/FailureMessage.h"
#include "launch/UpdateCommand.h"

namespace updstart {
namespace {

using testing::SplitWindowsArguments;

TEST(UpdateCommandTest, CommandLinesAsComposed) {
  EXPECT_EQ(InteractiveUpdateCommand(L"C:\\P", L"ftp://test-ftp.nordavin.example/test/ap"),
            L"C:\\P\\tvx.com UPDATE ftp://test-ftp.nordavin.example/test/ap");
  EXPECT_EQ(InteractiveUpdateCommand(L"C:\\P", L""), L"C:\\P\\tvx.com UPDATE ");
  // A folder value that ends in a backslash keeps it: the path stays valid.
  EXPECT_EQ(InteractiveUpdateCommand(L"C:\\P\\", L"x"), L"C:\\P\\\\tvx.com UPDATE x");
  EXPECT_EQ(UnattendedUpdateCommand(L"C:\\Program Files\\Nordavin"),
            L"C:\\Program Files\\Nordavin\\tvx.com update");
  EXPECT_EQ(UpdaterProgram(L"C:\\Program Files\\Nordavin"),
            L"C:\\Program Files\\Nordavin\\tvx.com");
}

TEST(UpdateCommandTest, SourcesAreQuotedOnlyWhenTheyWouldSplit) {
  struct Case {
    const wchar_t* source;
    const wchar_t* passed;
  };
  const Case cases[] = {
      {L"", L""},
      {L"http://update01.nordavin.example", L"http://update01.nordavin.example"},
      {L"C:\\Updates", L"C:\\Updates"},
      {L"C:\\Updates\\", L"C:\\Updates\\"},
      {L"\\\\server\\share", L"\\\\server\\share"},
      {L"a\"b", L"a\"b"},
      {L"C:\\My Updates", L"\"C:\\My Updates\""},
      {L"C:\\My Updates\\", L"\"C:\\My Updates\\\\\""},
      {L"C:\\My\tUpdates", L"\"C:\\My\tUpdates\""},
      {L"\"C:\\My Updates\"", L"\"C:\\My Updates\""},
      {L"say \"hi\" there", L"\"say \\\"hi\\\" there\""},
      {L"a\\\" b", L"\"a\\\\\\\" b\""},
      {L"   ", L"\"   \""},
      {L"C:\\Обновления антивируса", L"\"C:\\Обновления антивируса\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(QuoteSourceIfNeeded(c.source), c.passed) << "case " << (&c - cases);
  }
}

TEST(UpdateCommandTest, AQuotedSourceReachesTheUpdaterAsOneArgument) {
  for (const wchar_t* source :
       {L"C:\\My Updates", L"C:\\My Updates\\", L"C:\\a b\\\\", L"say \"hi\" there", L"a\\\" b",
        L"\\\\server\\my share\\", L"  lead and trail  ", L"tab\there"}) {
    std::wstring command = InteractiveUpdateCommand(L"C:\\P", source);
    std::wstring after_program = command.substr(std::wstring(L"C:\\P\\tvx.com").size());
    EXPECT_EQ(SplitWindowsArguments(after_program), (std::vector<std::wstring>{L"UPDATE", source}));
  }
}

TEST(UpdateCommandTest, FailureMessageIsRussianForExactlyTwoLocales) {
  const std::wstring_view russian = L"Невозможно запустить обновление антивируса";
  const std::wstring_view english = L"Impossible to start antivirus update task";
  EXPECT_EQ(UpdaterFailureMessage(L"ru-RU"), russian);
  EXPECT_EQ(UpdaterFailureMessage(L"ru"), russian);
  for (const wchar_t* other : {L"ru-UA", L"RU", L"RU-RU", L"en-US", L"", L"xx-ru-RU", L"ru-RU "}) {
    EXPECT_EQ(UpdaterFailureMessage(other), english);
  }
}

}  // namespace
}  // namespace updstart
