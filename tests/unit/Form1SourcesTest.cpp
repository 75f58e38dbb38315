#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "app/Form1.h"
#include "sources/SourceLists.h"

namespace updstart {
namespace {

using testing::FakePlatform;

std::vector<std::wstring> Regular() {
  auto sources = RegularSources();
  return {sources.begin(), sources.end()};
}

std::vector<std::wstring> TestList() {
  auto channels = TestChannels();
  return {channels.begin(), channels.end()};
}

TEST(SourceListsTest, ListsInTheirFixedOrder) {
  auto regular = RegularSources();
  EXPECT_EQ(regular[0], L"http://update00.nordavin.example");
  EXPECT_EQ(regular[20], L"http://update20.nordavin.example");
  EXPECT_EQ(regular[21], L"http://203.0.113.10");
  for (const std::wstring& source : regular) {
    EXPECT_EQ(source.rfind(L"http://", 0), 0u);
    EXPECT_NE(source.back(), L'/');
  }
  auto test = TestChannels();
  const wchar_t* folders[] = {L"ap",   L"dit",  L"emu", L"ids", L"qdbi386", L"pre-release",
                              L"tim1", L"tim2", L"urg", L"pbs", L"ep",      L"tl3"};
  for (std::size_t i = 0; i < test.size(); ++i) {
    EXPECT_EQ(test[i], std::wstring(L"ftp://test-ftp.nordavin.example/test/") + folders[i]);
  }
}

class Form1SourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.registry[L"SOFTWARE\\NordavinLab\\protected\\TVX8\\environment"] = {
        {L"ProductRoot", L"C:\\P"}};
    ASSERT_EQ(form.Form_Load(), std::nullopt);
  }
  const ComboState& combo() const { return form.state().combo; }

  FakePlatform platform;
  Form1 form{platform};
};

TEST_F(Form1SourcesTest, StartsWithTheRegularList) {
  EXPECT_EQ(combo().items, Regular());
  EXPECT_EQ(combo().text, L"");
}

TEST_F(Form1SourcesTest, SwitchesReplaceTheListAndClearTheText) {
  form.SetComboText(L"typed by the user");
  form.SelectOption(ControlName::Option1);
  EXPECT_EQ(combo().items, TestList());
  EXPECT_EQ(combo().text, L"");

  form.SetComboText(combo().items[3]);
  form.SelectOption(ControlName::Option2);
  EXPECT_EQ(combo().items, Regular());
  EXPECT_EQ(combo().text, L"");

  form.SelectOption(ControlName::Option1);
  form.SelectOption(ControlName::Option1);  // already selected: nothing runs
  EXPECT_EQ(combo().items, TestList());
}

TEST_F(Form1SourcesTest, UpdateStartsTheUpdaterWithTheShownSource) {
  form.SelectOption(ControlName::Option1);
  form.SetComboText(combo().items[0]);
  form.Command1_Click();
  form.SetComboText(L"C:\\My Updates");
  form.Command1_Click();
  form.SetComboText(L"");
  form.Command1_Click();

  ASSERT_EQ(platform.starts.size(), 3u);
  for (const auto& start : platform.starts) {
    EXPECT_EQ(start.program, L"C:\\P\\tvx.com");
    EXPECT_EQ(start.show, WindowShow::Hidden);
  }
  EXPECT_EQ(platform.starts[0].command_line,
            L"C:\\P\\tvx.com UPDATE ftp://test-ftp.nordavin.example/test/ap");
  EXPECT_EQ(platform.starts[1].command_line, L"C:\\P\\tvx.com UPDATE \"C:\\My Updates\"");
  EXPECT_EQ(platform.starts[2].command_line, L"C:\\P\\tvx.com UPDATE ");
  EXPECT_EQ(form.updater_pid(), 4002);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(platform.events.empty());  // a successful interactive run writes none
  EXPECT_TRUE(platform.debug_lines.empty());
}

TEST_F(Form1SourcesTest, FailedStartsShowTheBoxUnlessTheUserDeclinedElevation) {
  struct Case {
    const char* label;
    std::uint32_t start_error;
    std::uint32_t elevated_error;  // 0: the user accepts the prompt
    bool prompted;
    bool box_and_report;
  };
  const Case cases[] = {
      {"updater missing", 2, 0, false, true},
      {"elevation accepted", kErrorElevationRequired, 0, true, false},
      {"elevation declined", kErrorElevationRequired, kErrorCancelled, true, false},
      {"elevation failed", kErrorElevationRequired, 5, true, true},
  };
  const std::wstring command = L"C:\\P\\tvx.com UPDATE \"C:\\My Updates\"";
  form.SetComboText(L"C:\\My Updates");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    platform.start_error = 0;
    form.Command1_Click();
    const std::int32_t earlier_pid = form.updater_pid();
    platform.messages.clear();
    platform.elevated_starts.clear();
    platform.events.clear();
    platform.start_error = c.start_error;
    platform.elevated_error = c.elevated_error;
    form.Command1_Click();

    if (c.prompted && !c.elevated_error) {
      ASSERT_EQ(platform.elevated_starts.size(), 1u);
      EXPECT_EQ(platform.elevated_starts[0].program, L"C:\\P\\tvx.com");
      EXPECT_EQ(platform.elevated_starts[0].command_line, L"UPDATE \"C:\\My Updates\"");
      EXPECT_EQ(platform.elevated_starts[0].show, WindowShow::Hidden);
      EXPECT_NE(form.updater_pid(), earlier_pid);
    } else {
      EXPECT_TRUE(platform.elevated_starts.empty());
      EXPECT_EQ(form.updater_pid(), earlier_pid);  // the earlier start's id stays
    }
    // The event before the box, which could hold the program indefinitely.
    std::vector<std::wstring> tail = {c.prompted ? L"elevated start" : L"start"};
    if (c.box_and_report) tail.insert(tail.end(), {L"event 6302", L"box"});
    EXPECT_EQ(std::vector<std::wstring>(platform.timeline.end() - static_cast<long>(tail.size()),
                                        platform.timeline.end()),
              tail);
    if (c.box_and_report) {
      ASSERT_EQ(platform.messages.size(), 1u);
      EXPECT_EQ(platform.messages[0].text, L"Impossible to start antivirus update task");
      EXPECT_EQ(platform.messages[0].title, L"Nordavin updater starter version 2.33.107");
      EXPECT_EQ(platform.messages[0].icon, MessageIcon::Critical);
      const std::uint32_t error = c.prompted ? c.elevated_error : c.start_error;
      ASSERT_EQ(platform.event_ids(), std::vector<EventId>{EventId::UpdaterNotStarted});
      EXPECT_EQ(platform.events[0].strings,
                (std::vector<std::wstring>{command, std::to_wstring(error),
                                           L"text of error " + std::to_wstring(error), L""}));
    } else {
      EXPECT_TRUE(platform.messages.empty());
      EXPECT_TRUE(platform.events.empty());
    }
    EXPECT_FALSE(form.state().unload_requested);
  }
}

}  // namespace
}  // namespace updstart
