#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "app/AppIdentity.h"
#include "app/ExitCodes.h"
#include "app/Form1.h"

namespace updstart {
namespace {

using testing::FakePlatform;

const std::wstring kTvx8 = L"SOFTWARE\\NordavinLab\\protected\\TVX8\\environment";

class Form1StartupTest : public ::testing::Test {
 protected:
  void InstallProduct() { platform.registry[kTvx8] = {{L"ProductRoot", L"C:\\P"}}; }

  FakePlatform platform;
  Form1 form{platform};
};

TEST_F(Form1StartupTest, WithAProductTheWindowIsShownAsDesigned) {
  InstallProduct();
  platform.command_line = L"\"C:\\updstart.exe\"";
  EXPECT_EQ(form.Form_Load(), std::nullopt);

  const WindowState& w = form.state();
  EXPECT_EQ(w.caption, L"Nordavin updater starter version 2.33.107");
  EXPECT_EQ(w[ControlName::Label4].caption, L"");
  EXPECT_FALSE(w[ControlName::Label5].visible);
  EXPECT_EQ(w[ControlName::Label2].caption, L"");
  EXPECT_EQ(w[ControlName::Label6].caption, L"");
  EXPECT_EQ(w[ControlName::Label7].caption, L"");
  EXPECT_TRUE(w[ControlName::Option2].value);
  EXPECT_EQ(w.focus, ControlName::Command1);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(form.product().sProductRoot, L"C:\\P");
}

TEST_F(Form1StartupTest, WithoutAProductTheBoxIsShownAndTheProgramEnds) {
  for (const wchar_t* command_line : {L"\"C:\\updstart.exe\"", L"\"C:\\updstart.exe\" silent"}) {
    FakePlatform platform;
    platform.command_line = command_line;
    Form1 form(platform);
    EXPECT_EQ(form.Form_Load(), kExitProductNotFound);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, L"Nordavin Antivirus was not found");
    EXPECT_EQ(platform.messages[0].title, kApplicationTitle);
    // The window is unloaded, so the notification-area clean-up runs once.
    EXPECT_EQ(platform.tray_requests, std::vector<TrayMessage>{TrayMessage::Delete});
  }
}

TEST_F(Form1StartupTest, ArgumentTextIsWhatFollowsTheProgramToken) {
  InstallProduct();
  platform.command_line = L"C:\\silent\\updstart.exe";
  form.Form_Load();
  EXPECT_EQ(form.sArgs(), L"");
}

TEST_F(Form1StartupTest, CloseUnloadsThroughTheView) {
  InstallProduct();
  form.Form_Load();
  form.Form_Activate();
  EXPECT_FALSE(form.state().unload_requested);
  form.Command2_Click();
  EXPECT_TRUE(form.state().unload_requested);
  EXPECT_TRUE(platform.tray_requests.empty());
  form.Form_Unload();
  EXPECT_EQ(platform.tray_requests, std::vector<TrayMessage>{TrayMessage::Delete});
}

TEST_F(Form1StartupTest, AnyPressOnTheClientAreaMovesTheWindow) {
  InstallProduct();
  form.Form_Load();
  form.Form_MouseDown();
  form.Form_MouseDown();
  EXPECT_EQ(platform.window_moves, 2);
}

TEST_F(Form1StartupTest, OptionButtonsFormOneGroup) {
  InstallProduct();
  form.Form_Load();
  form.SelectOption(ControlName::Option1);
  EXPECT_TRUE(form.state()[ControlName::Option1].value);
  EXPECT_FALSE(form.state()[ControlName::Option2].value);
  EXPECT_FALSE(form.state()[ControlName::Option3].value);
  form.SelectOption(ControlName::Option3);
  EXPECT_FALSE(form.state()[ControlName::Option1].value);
  EXPECT_TRUE(form.state()[ControlName::Option3].value);
}

}  // namespace
}  // namespace updstart
