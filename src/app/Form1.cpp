// Form1's start-up sequence and its window-level events.
#include "app/Form1.h"

#include "app/AppIdentity.h"
#include "app/CommandLine.h"
#include "app/ExitCodes.h"
#include "app/RunOptions.h"
#include "app/Usage.h"
#include "app/Version.h"
#include "product/Detection.h"
#include "product/LanguageTests.h"
#include "product/OutdatedNotice.h"
#include "product/ProductTexts.h"
#include "shared/DecimalText.h"
#include "shared/Wildcard.h"

namespace updstart {

Form1::Form1(Platform& platform) : platform_(platform), window_(DesignTimeWindow()) {}

std::optional<int> Form1::Form_Load() {
  AddItem();

  window_.caption += L" version " + DecimalText(UPDSTART_VERSION_MAJOR) + L"." +
                     DecimalText(UPDSTART_VERSION_MINOR) + L"." +
                     DecimalText(UPDSTART_VERSION_REVISION);

  sArgs_ = SplitArguments(platform_.CommandLine()).args;
  const RunOptions options = ReadRunOptions(sArgs_);
  const bool unattended = WildcardMatch(sArgs_, L"*silent*");
  // A run that waits is one nobody watches: a box would hold it until the
  // task's time limit.
  if (options.usage && !(unattended && options.waits)) {
    platform_.ShowMessage(kUsage, window_.caption, MessageIcon::Information);
    return kExitUsageShown;
  }
  if (unattended && options.malformed) {
    // Before the wait: a task that cannot run as meant says so at once.
    platform_.WriteEvent(EventId::MalformedArgument, std::span(&*options.malformed, 1));
    platform_.WriteDebugLine(L"malformed argument, nothing was run: " + *options.malformed);
    return kExitMalformedArgument;
  }

  window_[ControlName::Label4].caption.clear();
  window_[ControlName::Label5].visible = false;

  std::optional<ProductRecord> found = DetectProduct(platform_);
  if (!found) {
    const std::wstring not_found = L"Nordavin Antivirus was not found";
    platform_.WriteEvent(EventId::ProductNotFound, std::span(&not_found, 1));
    // A run that waits for a result is one that nobody watches.
    if (!(unattended && options.wait_minutes)) {
      platform_.ShowMessage(not_found, kApplicationTitle, MessageIcon::Critical);
    }
    Form_Unload();
    return kExitProductNotFound;
  }
  product_ = std::move(*found);

  ShowProductTexts();

  if (unattended) return RunUnattended(options);
  count_();
  ReportDefaultSource();
  return std::nullopt;
}

void Form1::Form_Activate() { window_.timer_interval = 15; }

void Form1::Form_MouseDown() { platform_.BeginWindowMove(); }

void Form1::Form_Unload() { platform_.SetTrayIcon(TrayMessage::Delete, 0, L""); }

void Form1::Command2_Click() { window_.unload_requested = true; }

void Form1::SelectOption(ControlName option) {
  if (window_[option].value) return;
  for (ControlName each : {ControlName::Option1, ControlName::Option2, ControlName::Option3}) {
    window_[each].value = each == option;
  }
  switch (option) {
    case ControlName::Option1:
      Option1_Click();
      break;
    case ControlName::Option2:
      Option2_Click();
      break;
    case ControlName::Option3:
      Option3_Click();
      break;
    default:
      break;
  }
}

void Form1::ShowProductTexts() {
  const std::wstring& locale = product_.sLocalization;
  ControlState& notice = window_[ControlName::Label4];
  ControlState& link = window_[ControlName::Label5];
  switch (DecideOutdatedNotice(product_.sProductName, product_.BuildNumber)) {
    case OutdatedNotice::None:
      break;
    case OutdatedNotice::Exempt:
      notice.caption.clear();
      link.caption.clear();
      break;
    case OutdatedNotice::Shown: {
      const NoticeTexts texts = OutdatedNoticeTexts(locale);
      notice.caption = texts.notice;
      link.caption = texts.link;
      link.visible = true;
      break;
    }
  }

  window_[ControlName::Label3].caption = DetectedProductLine(product_.sProductName, locale);

  if (!ControlTextsAreRussian(locale)) return;
  const RussianControlTexts& russian = kRussianControlTexts;
  window_[ControlName::Option2].caption = russian.regular_option;
  window_[ControlName::Option1].caption = russian.test_option;
  window_[ControlName::Command1].caption = russian.update;
  window_[ControlName::Command2].caption = russian.close;
  window_[ControlName::Label1].caption = russian.source_prompt;
  window_.combo.tool_tip = russian.source_tool_tip;
  window_[ControlName::Option3].caption = russian.folder_option;
}

void Form1::Label5_Click() {
  // The file browser by its full path, never whatever "Explorer" the search
  // order would find first. A failure shows no box, only the debug line.
  const std::wstring browser = platform_.WindowsFolder() + L"\\explorer.exe";
  const std::wstring command = ProductUpdatesPageCommand(product_.sLocalization);
  const StartResult started = platform_.StartProcess(browser, command, WindowShow::Normal);
  if (!started.pid) {
    platform_.ReportFailure(EventId::UpdatesPageNotOpened,
                            L"could not open the product-updates page",
                            browser + L", command line " + command, started.error);
  }
}

int Form1::WindowNotCreated(std::wstring_view what, std::wstring_view window_class,
                            std::uint32_t error) {
  platform_.ReportFailure(EventId::WindowNotCreated, what, window_class, error);
  return kExitWindowNotCreated;
}

int Form1::MessagesNotRead(std::uint32_t error) {
  platform_.ReportFailure(EventId::MessagesNotRead, L"could not read the main window's messages",
                          L"", error);
  return kExitMessageLoopFailed;
}

// Kept as the hook the start-up sequence and "Update" both call; it does nothing.
void Form1::count_() {}

}  // namespace updstart
