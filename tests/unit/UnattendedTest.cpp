#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "app/ExitCodes.h"
#include "app/Form1.h"
#include "app/Usage.h"
#include "launch/UpdateCommand.h"

namespace updstart {
namespace {

using testing::FakePlatform;

struct Run {
  std::optional<int> exit_code;
  FakePlatform platform;
};

const std::wstring kCommand = L"\"C:\\Program Files\\Nordavin\\tvx.com\" update";

std::unique_ptr<Run> Start(const wchar_t* command_line, std::uint32_t start_error = 0,
                           ProcessEnd end = {true, 0, 42}, bool installed = true) {
  auto run = std::make_unique<Run>();
  if (installed) {
    run->platform.registry[L"SOFTWARE\\NordavinLab\\protected\\TVX8\\environment"] = {
        {L"ProductRoot", L"C:\\Program Files\\Nordavin"}};
  }
  run->platform.command_line = command_line;
  run->platform.start_error = start_error;
  run->platform.process_end = end;
  Form1 form(run->platform);
  run->exit_code = form.Form_Load();
  return run;
}

TEST(UnattendedTest, WaitsStartsWaitsAndEnds) {
  auto run = Start(L"\"C:\\Tools\\updstart.exe\" silent");
  EXPECT_EQ(run->exit_code, kExitUpdaterStarted);
  EXPECT_EQ(run->platform.timeline,
            (std::vector<std::wstring>{L"sleep 30000", L"start", L"sleep 10000"}));
  ASSERT_EQ(run->platform.starts.size(), 1u);
  EXPECT_EQ(run->platform.starts[0].program, L"C:\\Program Files\\Nordavin\\tvx.com");
  EXPECT_EQ(run->platform.starts[0].command_line, kCommand);
  EXPECT_EQ(run->platform.starts[0].show, WindowShow::Hidden);
  EXPECT_TRUE(run->platform.messages.empty());
  EXPECT_TRUE(run->platform.tray_requests.empty());  // ends without unloading
  EXPECT_TRUE(run->platform.debug_lines.empty());
  ASSERT_EQ(run->platform.event_ids(), std::vector<EventId>{EventId::UpdaterStarted});
  EXPECT_EQ(run->platform.events[0].strings, (std::vector<std::wstring>{kCommand, L"4000"}));
}

TEST(UnattendedTest, AFailedStartEndsWith1AndSaysWhyInTheEventAndTheDebugLine) {
  struct Case {
    std::uint32_t error;
    const wchar_t* arguments;
    bool advice;  // nobody is there to answer an elevation prompt: none is asked for
    std::vector<std::wstring> timeline;
  };
  const std::vector<std::wstring> fixed_waits = {L"sleep 30000", L"start", L"sleep 10000"};
  const std::vector<std::wstring> no_updater_to_wait_for = {L"sleep 30000", L"start"};
  for (const Case& c : {Case{2, L"silent", false, fixed_waits},
                        Case{kErrorElevationRequired, L"silent", true, fixed_waits},
                        Case{2, L"silent wait", false, no_updater_to_wait_for}}) {
    SCOPED_TRACE(c.arguments);
    auto run = Start((std::wstring(L"u.exe ") + c.arguments).c_str(), c.error);
    EXPECT_EQ(run->exit_code, kExitUpdaterNotStarted);
    EXPECT_EQ(run->platform.timeline, c.timeline);
    EXPECT_TRUE(run->platform.messages.empty());
    ASSERT_EQ(run->platform.event_ids(), std::vector<EventId>{EventId::UpdaterNotStarted});
    EXPECT_EQ(run->platform.events[0].strings,
              (std::vector<std::wstring>{kCommand, std::to_wstring(c.error)}));
    ASSERT_EQ(run->platform.debug_lines.size(), 1u);
    EXPECT_EQ(run->platform.debug_lines[0].find(L"highest privileges") != std::wstring::npos,
              c.advice);
  }
}

TEST(UnattendedTest, WaitEndsWithTheUpdatersResultAndItsEvent) {
  struct Case {
    const wchar_t* command_line;
    ProcessEnd end;
    int exit_code;
    EventId event;
    std::vector<std::wstring> strings;
    std::uint32_t limit_ms;
    bool debug_line;
  };
  const Case cases[] = {
      {L"u.exe silent wait",
       {true, 0, 75},
       kExitUpdaterSucceeded,
       EventId::UpdaterSucceeded,
       {L"0", L"75"},
       3600000,
       false},
      {L"u.exe silent WAIT=1440",
       {true, 3, 9},
       kExitUpdaterFailed,
       EventId::UpdaterFailed,
       {L"3", L"9"},
       86400000,
       true},
      {L"u.exe silent \"Wait=1\"",
       {true, 0xC0000005, 1},
       kExitUpdaterFailed,
       EventId::UpdaterFailed,
       {L"3221225477", L"1"},
       60000,
       true},
      // Left running: never stopped by us.
      {L"u.exe wait=007 silent",
       {false, 0, 420},
       kExitUpdaterStillRuns,
       EventId::UpdaterStillRunning,
       {L"7", L"4000"},
       420000,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command_line);
    auto run = Start(c.command_line, 0, c.end);
    EXPECT_EQ(run->exit_code, c.exit_code);
    // No fixed wait after the start: the updater's end is waited for instead.
    EXPECT_EQ(run->platform.timeline,
              (std::vector<std::wstring>{L"sleep 30000", L"start",
                                         L"wait " + std::to_wstring(c.limit_ms)}));
    ASSERT_EQ(run->platform.event_ids(), (std::vector<EventId>{EventId::UpdaterStarted, c.event}));
    EXPECT_EQ(run->platform.events[1].strings, c.strings);
    EXPECT_EQ(run->platform.debug_lines.size(), c.debug_line ? 1u : 0u);
    EXPECT_TRUE(run->platform.messages.empty());
  }
}

TEST(UnattendedTest, NoProductEndsWith2AndItsEventAndABoxOnlyWithoutWait) {
  struct Case {
    const wchar_t* command_line;
    bool box;
  };
  for (const Case& c : {Case{L"u.exe", true}, Case{L"u.exe silent", true},
                        Case{L"u.exe silent wait=5", false}, Case{L"u.exe wait", true}}) {
    SCOPED_TRACE(c.command_line);
    auto run = Start(c.command_line, 0, {}, false);
    EXPECT_EQ(run->exit_code, kExitProductNotFound);
    EXPECT_EQ(run->platform.event_ids(), std::vector<EventId>{EventId::ProductNotFound});
    EXPECT_EQ(run->platform.messages.size(), c.box ? 1u : 0u);
    EXPECT_TRUE(run->platform.timeline.empty());
  }
}

TEST(UnattendedTest, AMalformedArgumentEndsWith7AtOnceOnlyWhenUnattended) {
  for (const wchar_t* argument :
       {L"wait=0", L"wait=abc", L"wait=2000", L"source=", L"wait=", L"wait=-5", L"wait=+5",
        L"wait= 5", L"wait=99999999999999999999", L"\"SOURCE=\""}) {
    SCOPED_TRACE(argument);
    auto run = Start((std::wstring(L"u.exe silent ") + argument).c_str());
    EXPECT_EQ(run->exit_code, kExitMalformedArgument);
    EXPECT_TRUE(run->platform.timeline.empty());
    EXPECT_TRUE(run->platform.opened_keys.empty());
    EXPECT_TRUE(run->platform.messages.empty());
    ASSERT_EQ(run->platform.event_ids(), std::vector<EventId>{EventId::MalformedArgument});
    EXPECT_EQ(run->platform.debug_lines.size(), 1u);

    // The window ignores the unattended run's arguments.
    auto interactive = Start((std::wstring(L"u.exe ") + argument).c_str());
    EXPECT_EQ(interactive->exit_code, std::nullopt);
    EXPECT_TRUE(interactive->platform.events.empty());
  }
}

TEST(UnattendedTest, ChosenSourceReachesTheUpdaterAsUpdateWouldPassIt) {
  struct Case {
    const wchar_t* command_line;
    const wchar_t* source;  // as the program's arguments deliver it
  };
  for (const Case& c : {
           Case{L"u.exe silent source=\\\\fileserver\\nordavin-updates",
                L"\\\\fileserver\\nordavin-updates"},
           Case{L"u.exe silent \"source=\\\\srv\\share x\\\\\"", L"\\\\srv\\share x\\"},
           Case{L"u.exe silent Source=\"C:\\My Updates\\\\\" wait", L"C:\\My Updates\\"},
           Case{L"u.exe silent source=a\\\"b", L"a\"b"},
       }) {
    SCOPED_TRACE(c.command_line);
    auto run = Start(c.command_line);
    ASSERT_EQ(run->platform.starts.size(), 1u);
    EXPECT_EQ(run->platform.starts[0].command_line,
              InteractiveUpdateCommand(L"C:\\Program Files\\Nordavin", c.source));
    EXPECT_EQ(run->platform.events[0].strings[0], run->platform.starts[0].command_line);
  }
}

TEST(UnattendedTest, UsageAnywhereShowsTheBoxAndEndsWith0BeforeAnythingElse) {
  for (const wchar_t* command_line : {L"u.exe /?", L"u.exe silent wait=abc /?", L"u.exe x /? y"}) {
    SCOPED_TRACE(command_line);
    auto run = Start(command_line);
    EXPECT_EQ(run->exit_code, kExitUsageShown);
    ASSERT_EQ(run->platform.messages.size(), 1u);
    EXPECT_EQ(run->platform.messages[0].text, kUsage);
    EXPECT_EQ(run->platform.messages[0].icon, MessageIcon::Information);
    EXPECT_TRUE(run->platform.opened_keys.empty());
    EXPECT_TRUE(run->platform.timeline.empty());
    EXPECT_TRUE(run->platform.events.empty());
  }
}

TEST(UnattendedTest, OnlyTheLowerCaseWordInTheArgumentsSelectsIt) {
  for (const wchar_t* command_line :
       {L"\"C:\\Tools\\updstart.exe\" /silent", L"C:\\Tools\\updstart.exe xsilentx"}) {
    EXPECT_EQ(Start(command_line)->exit_code, kExitUpdaterStarted);
  }
  for (const wchar_t* command_line :
       {L"\"C:\\Tools\\updstart.exe\" SILENT", L"\"C:\\Tools\\updstart.exe\" Silent",
        L"C:\\silent\\updstart.exe", L"\"C:\\silent\\updstart.exe\"",
        L"\"C:\\silent\\updstart.exe\" wait source=x"}) {
    auto run = Start(command_line);
    EXPECT_EQ(run->exit_code, std::nullopt);
    EXPECT_TRUE(run->platform.timeline.empty());
    EXPECT_TRUE(run->platform.events.empty());
  }
}

}  // namespace
}  // namespace updstart
