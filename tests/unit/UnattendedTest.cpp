#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "app/ExitCodes.h"
#include "app/Form1.h"

namespace updstart {
namespace {

using testing::FakePlatform;

struct Run {
  std::optional<int> exit_code;
  FakePlatform platform;
};

std::unique_ptr<Run> Start(const wchar_t* command_line, std::uint32_t start_error = 0) {
  auto run = std::make_unique<Run>();
  run->platform.registry[L"SOFTWARE\\NordavinLab\\protected\\TVX8\\environment"] = {
      {L"ProductRoot", L"C:\\Program Files\\Nordavin"}};
  run->platform.command_line = command_line;
  run->platform.start_error = start_error;
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
  EXPECT_EQ(run->platform.starts[0].command_line,
            L"\"C:\\Program Files\\Nordavin\\tvx.com\" update");
  EXPECT_EQ(run->platform.starts[0].show, WindowShow::Hidden);
  EXPECT_TRUE(run->platform.messages.empty());
  EXPECT_TRUE(run->platform.tray_requests.empty());  // ends without unloading
  EXPECT_TRUE(run->platform.failure_reports.empty());
}

TEST(UnattendedTest, AFailedStartStillWaitsAndEndsWithItsReasonInTheDebugLine) {
  const std::wstring command = L"\"C:\\Program Files\\Nordavin\\tvx.com\" update";
  struct Case {
    std::uint32_t error;
    const wchar_t* reason;
  };
  // Nobody is there to answer an elevation prompt: none is asked for.
  for (const Case& c :
       {Case{2, L"could not start the updater"},
        Case{kErrorElevationRequired,
             L"could not start the updater, which asks for administrator rights; an unattended "
             L"run never prompts for them, so run the task with highest privileges"}}) {
    auto run = Start(L"\"C:\\Tools\\updstart.exe\" silent", c.error);
    EXPECT_EQ(run->exit_code, kExitUpdaterNotStarted);
    EXPECT_EQ(run->platform.timeline,
              (std::vector<std::wstring>{L"sleep 30000", L"start", L"sleep 10000"}));
    EXPECT_TRUE(run->platform.messages.empty());
    EXPECT_EQ(run->platform.failure_reports,
              std::vector<std::wstring>{std::wstring(c.reason) + L"|" + command + L"|" +
                                        std::to_wstring(c.error)});
  }
}

TEST(UnattendedTest, OnlyTheLowerCaseWordInTheArgumentsSelectsIt) {
  for (const wchar_t* command_line :
       {L"\"C:\\Tools\\updstart.exe\" /silent", L"C:\\Tools\\updstart.exe xsilentx"}) {
    EXPECT_EQ(Start(command_line)->exit_code, kExitUpdaterStarted);
  }
  for (const wchar_t* command_line :
       {L"\"C:\\Tools\\updstart.exe\" SILENT", L"\"C:\\Tools\\updstart.exe\" Silent",
        L"C:\\silent\\updstart.exe", L"\"C:\\silent\\updstart.exe\""}) {
    auto run = Start(command_line);
    EXPECT_EQ(run->exit_code, std::nullopt);
    EXPECT_TRUE(run->platform.timeline.empty());
  }
}

}  // namespace
}  // namespace updstart
