#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "app/Form1.h"

namespace updstart {
namespace {

using testing::FakePlatform;

struct Loaded {
  FakePlatform platform;
  std::unique_ptr<Form1> form;
  const WindowState& state() const { return form->state(); }
  const std::wstring& caption(ControlName name) const { return state()[name].caption; }
};

std::unique_ptr<Loaded> Load(const wchar_t* name, const wchar_t* build, const wchar_t* locale) {
  auto loaded = std::make_unique<Loaded>();
  loaded->platform.registry[L"SOFTWARE\\NordavinLab\\protected\\TVX8\\environment"] = {
      {L"ProductRoot", L"C:\\P"},
      {L"ProductName", name},
      {L"Build", build},
      {L"Localization", locale}};
  loaded->form = std::make_unique<Form1>(loaded->platform);
  loaded->form->Form_Load();
  return loaded;
}

TEST(Form1ProductTextsTest, OutdatedProductGetsTheNoticeAndTheLink) {
  auto l = Load(L"Nordavin Suite 2010", L"1000", L"en-US");
  EXPECT_EQ(l->caption(ControlName::Label4),
            L"You have a very old antivirus version. Please download and install actual version.");
  EXPECT_EQ(l->caption(ControlName::Label5), L"Download new version");
  EXPECT_TRUE(l->state()[ControlName::Label5].visible);
  EXPECT_EQ(l->state()[ControlName::Label4].text_color, kPureRed);
  EXPECT_EQ(l->state()[ControlName::Label5].text_color, kPureBlue);
  EXPECT_EQ(l->caption(ControlName::Label3), L"Nordavin Suite 2010 detected");
  EXPECT_EQ(l->caption(ControlName::Command1), L"Update");
}

TEST(Form1ProductTextsTest, ExemptOrCurrentProductsGetNoNotice) {
  for (auto* build : {L"1424", L"0059"}) {
    auto l = Load(L"Nordavin Suite 2010", build, L"ru-RU");
    EXPECT_EQ(l->caption(ControlName::Label4), L"");
    EXPECT_EQ(l->caption(ControlName::Label5), L"");
    EXPECT_FALSE(l->state()[ControlName::Label5].visible);
  }
  auto current = Load(L"Nordavin 16", L"1000", L"en-US");
  EXPECT_EQ(current->caption(ControlName::Label4), L"");
  EXPECT_FALSE(current->state()[ControlName::Label5].visible);
}

TEST(Form1ProductTextsTest, RussianProductGetsEveryRussianText) {
  auto l = Load(L"Nordavin 6.0", L"1000", L"ru-RU");
  EXPECT_EQ(l->caption(ControlName::Label4),
            L"У Вас установлена устаревшая версия антивируса. Рекомендуется обновить версию.");
  EXPECT_EQ(l->caption(ControlName::Label5), L"Скачать новую версию антивируса");
  EXPECT_EQ(l->caption(ControlName::Label3), L"Обнаружен Nordavin 6.0");
  EXPECT_EQ(l->caption(ControlName::Option2), L"Публичные сервера");
  EXPECT_EQ(l->caption(ControlName::Option1), L"Тестовые сервера");
  EXPECT_EQ(l->caption(ControlName::Command1), L"Обновить");
  EXPECT_EQ(l->caption(ControlName::Command2), L"Закрыть");
  EXPECT_EQ(l->caption(ControlName::Label1), L"Укажите новый источник обновления:");
  EXPECT_EQ(l->state().combo.tool_tip, L"Выбор источника обновления");
  EXPECT_EQ(l->caption(ControlName::Option3), L"Локальный или сетевой источник обновления");
  EXPECT_EQ(l->state().caption, L"Nordavin updater starter version 2.33.107");
}

TEST(Form1ProductTextsTest, NoticeAndControlsDecideByDifferentTests) {
  auto l = Load(L"Nordavin 7.0", L"1000", L"xx-ru-yy");
  EXPECT_EQ(l->caption(ControlName::Label5), L"Download new version");
  EXPECT_EQ(l->caption(ControlName::Command1), L"Обновить");
  EXPECT_EQ(l->caption(ControlName::Label3), L"Обнаружен Nordavin 7.0");

  auto nameless = Load(L"", L"1000", L"ru");
  EXPECT_EQ(nameless->caption(ControlName::Label3), L"");
  EXPECT_EQ(nameless->caption(ControlName::Command2), L"Закрыть");
}

TEST(Form1ProductTextsTest, LinkOpensTheVendorPageInTheFileBrowser) {
  struct Case {
    const wchar_t* locale;
    const wchar_t* command;
  };
  for (const Case& c : {Case{L"rus", L"Explorer http://www.nordavin-ru.example/productupdates"},
                        Case{L"ru-UA", L"Explorer http://www.nordavin-ru.example/productupdates"},
                        Case{L"en-US", L"Explorer http://www.nordavin.example/productupdates"},
                        Case{L"", L"Explorer http://www.nordavin.example/productupdates"}}) {
    auto l = Load(L"Nordavin 6.0", L"1", c.locale);
    l->form->Label5_Click();
    ASSERT_EQ(l->platform.starts.size(), 1u);
    EXPECT_EQ(l->platform.starts[0].program, L"C:\\windows\\explorer.exe");
    EXPECT_EQ(l->platform.starts[0].command_line, c.command);
    EXPECT_EQ(l->platform.starts[0].show, WindowShow::Normal);
    EXPECT_TRUE(l->platform.events.empty());
  }
  // No box for a browser that does not start, but the reason in the debug line.
  auto l = Load(L"Nordavin 6.0", L"1", L"en-US");
  l->platform.start_error = 2;
  l->form->Label5_Click();
  EXPECT_TRUE(l->platform.messages.empty());
  ASSERT_EQ(l->platform.event_ids(), std::vector<EventId>{EventId::UpdatesPageNotOpened});
  EXPECT_EQ(l->platform.events[0].strings[1], L"2");
  EXPECT_EQ(l->platform.debug_lines.size(), 1u);
}

TEST(Form1ProductTextsTest, FolderOptionTakesThePickedPathOrNothing) {
  auto l = Load(L"Nordavin 16", L"1", L"en-US");
  l->platform.folder_choices = {L"C:\\Обновления", L"", L"\\\\server\\share"};
  l->form->SetComboText(L"typed");
  l->form->SelectOption(ControlName::Option3);
  EXPECT_TRUE(l->state().combo.items.empty());
  EXPECT_EQ(l->state().combo.text, L"C:\\Обновления");
  EXPECT_EQ(l->platform.picker_prompts, std::vector<std::wstring>{L"Выберите папку"});

  l->form->SelectOption(ControlName::Option3);  // already selected: no picker
  EXPECT_EQ(l->platform.picker_prompts.size(), 1u);
  l->form->Option3_DblClick();  // cancelled: the earlier folder goes too
  EXPECT_EQ(l->state().combo.text, L"");
  l->form->Option3_DblClick();
  EXPECT_EQ(l->state().combo.text, L"\\\\server\\share");

  l->form->SelectOption(ControlName::Option1);
  EXPECT_EQ(l->state().combo.items.size(), 12u);
  EXPECT_EQ(l->state().combo.text, L"");
}

}  // namespace
}  // namespace updstart
