// Form1's update sources: the list switches, the folder choice and the
// report of the product's configured default source.
#include "app/Form1.h"
#include "sources/DefaultSource.h"
#include "sources/SourceLists.h"

namespace updstart {

namespace {

// Only file-system folders can be confirmed.
constexpr std::uint32_t kReturnOnlyFileSystemFolders = 1;

}  // namespace

void Form1::AddItem() {
  std::size_t position = 0;
  for (std::wstring& source : RegularSources())
    window_.combo.InsertItem(position++, std::move(source));
}

// The removal count is the length of the list the switch expects to replace;
// removals from a list that is already empty change nothing.
void Form1::RemoveSources(int removals) {
  for (RemoveCounter_ = 1; RemoveCounter_ <= static_cast<float>(removals); RemoveCounter_ += 1) {
    window_.combo.RemoveItem(0);
  }
}

void Form1::Option1_Click() {
  window_.combo.text.clear();
  RemoveSources(static_cast<int>(kRegularSourceCount));
  std::size_t position = 0;
  for (std::wstring& channel : TestChannels())
    window_.combo.InsertItem(position++, std::move(channel));
}

void Form1::Option2_Click() {
  window_.combo.text.clear();
  RemoveSources(static_cast<int>(kTestChannelCount));
  AddItem();
}

void Form1::Option3_Click() {
  RemoveSources(static_cast<int>(kRegularSourceCount));
  window_.combo.text = fBrowseForFolder(L"Выберите папку", kReturnOnlyFileSystemFolders);
}

// Opens the picker again, also when the option is already selected.
void Form1::Option3_DblClick() { Option3_Click(); }

std::wstring Form1::fBrowseForFolder(std::wstring_view sPrompt, std::uint32_t WhatBr) {
  FolderChoice choice = platform_.BrowseForFolder(sPrompt, WhatBr);
  if (choice.error) {
    // The user chose the folder option and sees no picker: say why, and of
    // which library.
    platform_.ReportFailure(EventId::FolderPickerNotOpened, L"could not open the folder picker",
                            choice.library, choice.error);
  }
  return std::move(choice.path);
}

void Form1::ReportDefaultSource() {
  ControlState& channel = window_[ControlName::Label6];
  ControlState& report = window_[ControlName::Label7];
  window_[ControlName::Label2].caption.clear();
  report.caption.clear();
  channel.caption.clear();

  std::unique_ptr<ByteSource> file =
      platform_.OpenFileForReading(product_.sDataRoot + L"\\Data\\updcfg.xml");
  if (!file) return;
  const AnsiText ansi{
      [this](std::span<const unsigned char> bytes) { return platform_.AnsiToText(bytes); },
      platform_.AnsiShape()};
  SourceReport found = ReadSourceReport(*file, ansi, product_.sLocalization);
  report.caption = std::move(found.report);
  channel.caption = std::move(found.channel);
  if (found.test_server) {
    report.text_color = kPureRed;
    channel.text_color = kPureRed;
    SelectOption(ControlName::Option1);
  }
}

}  // namespace updstart
