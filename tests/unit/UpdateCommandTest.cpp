#include <gtest/gtest.h>

#include "WindowsArguments.h"
#include "launch/FailureMessage.h"
#include "launch/UpdateCommand.h"

namespace updstart {
namespace {

using testing::SplitWindowsCommandLine;

TEST(UpdateCommandTest, CommandLinesAsComposed) {
  EXPECT_EQ(InteractiveUpdateCommand(L"C:\\P", L"ftp://test-ftp.nordavin.example/test/ap"),
            L"C:\\P\\tvx.com UPDATE ftp://test-ftp.nordavin.example/test/ap");
  EXPECT_EQ(InteractiveUpdateCommand(L"C:\\P", L""), L"C:\\P\\tvx.com UPDATE ");
  // A folder value that ends in a backslash keeps it: the path stays valid.
  EXPECT_EQ(InteractiveUpdateCommand(L"C:\\P\\", L"x"), L"C:\\P\\\\tvx.com UPDATE x");
  EXPECT_EQ(UnattendedUpdateCommand(L"C:\\P"), L"C:\\P\\tvx.com update");
  // A folder with a blank would otherwise be split into several arguments.
  EXPECT_EQ(InteractiveUpdateCommand(L"C:\\Program Files\\Nordavin\\", L"x"),
            L"\"C:\\Program Files\\Nordavin\\\\tvx.com\" UPDATE x");
  EXPECT_EQ(UnattendedUpdateCommand(L"C:\\Program Files\\Nordavin"),
            L"\"C:\\Program Files\\Nordavin\\tvx.com\" update");
  EXPECT_EQ(UnattendedUpdateCommand(L"C:\\Nordavin\tAV"), L"\"C:\\Nordavin\tAV\\tvx.com\" update");
  // The program is named to Windows unquoted, whatever the command line holds.
  EXPECT_EQ(UpdaterProgram(L"C:\\Program Files\\Nordavin"),
            L"C:\\Program Files\\Nordavin\\tvx.com");
}

TEST(UpdateCommandTest, SourcesAreQuotedOnlyWhenTheyNeedIt) {
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
      {L"a\"b", L"\"a\\\"b\""},
      {L"C:\\x\\\"y\"", L"\"C:\\x\\\\\\\"y\\\"\""},
      {L"C:\\My Updates", L"\"C:\\My Updates\""},
      {L"C:\\My Updates\\", L"\"C:\\My Updates\\\\\""},
      {L"C:\\My\tUpdates", L"\"C:\\My\tUpdates\""},
      {L"\"C:\\My Updates\"", L"\"C:\\My Updates\""},
      // What "Copy as path" gives: the quotes go, and with them any need for quoting.
      {L"\"D:\\\"", L"D:\\"},
      {L"\"C:\\Updates\"", L"C:\\Updates"},
      {L"\"C:\\My Updates\\\"", L"\"C:\\My Updates\\\\\""},
      {L"\"C:\\a\" \"D:\\b\"", L"\"C:\\a\\\" \\\"D:\\b\""},
      {L"\"\"", L"\"\""},
      {L"\"", L"\"\\\"\""},
      {L"say \"hi\" there", L"\"say \\\"hi\\\" there\""},
      {L"a\\\" b", L"\"a\\\\\\\" b\""},
      {L"   ", L"\"   \""},
      {L"C:\\Обновления антивируса", L"\"C:\\Обновления антивируса\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(QuoteSourceIfNeeded(c.source), c.passed) << "case " << (&c - cases);
  }
}

TEST(UpdateCommandTest, TheUpdaterSplitsItsCommandLineIntoPathVerbAndSource) {
  struct Source {
    const wchar_t* typed;
    const wchar_t* meant;
  };
  const Source sources[] = {
      {L"http://update01.nordavin.example", L"http://update01.nordavin.example"},
      {L"C:\\My Updates", L"C:\\My Updates"},
      {L"C:\\My Updates\\", L"C:\\My Updates\\"},
      {L"C:\\a b\\\\", L"C:\\a b\\\\"},
      {L"say \"hi\" there", L"say \"hi\" there"},
      {L"a\\\" b", L"a\\\" b"},
      {L"\\\\server\\my share\\", L"\\\\server\\my share\\"},
      {L"  lead and trail  ", L"  lead and trail  "},
      {L"tab\there", L"tab\there"},
      {L"\"D:\\\"", L"D:\\"},
      {L"\"C:\\My Updates\\\"", L"C:\\My Updates\\"},
      {L"\"C:\\a\" \"D:\\b\"", L"C:\\a\" \"D:\\b"},
      {L"C:\\x\\\"y\"", L"C:\\x\\\"y\""},
      {L"\"C:\\My Updates", L"\"C:\\My Updates"},
      {L"\"\"", L""},
      {L"\"", L"\""},
  };
  for (const wchar_t* root : {L"C:\\P", L"C:\\Program Files\\Nordavin AV",
                              L"C:\\Program Files\\Nordavin AV\\", L"D:\\Нордавин\tАнтивирус"}) {
    const std::wstring program = UpdaterProgram(root);
    for (const Source& source : sources) {
      EXPECT_EQ(SplitWindowsCommandLine(InteractiveUpdateCommand(root, source.typed)),
                (std::vector<std::wstring>{program, L"UPDATE", source.meant}))
          << "case " << (&source - sources);
    }
    // Nothing typed: the verb alone, as the product's updater expects then.
    EXPECT_EQ(SplitWindowsCommandLine(InteractiveUpdateCommand(root, L"")),
              (std::vector<std::wstring>{program, L"UPDATE"}));
    EXPECT_EQ(SplitWindowsCommandLine(UnattendedUpdateCommand(root)),
              (std::vector<std::wstring>{program, L"update"}));
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
