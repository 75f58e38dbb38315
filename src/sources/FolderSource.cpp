// Form1's third option: a local or network folder as the update source.
#include "app/Form1.h"
#include "sources/SourceLists.h"

namespace updstart {

namespace {

// Only file-system folders can be confirmed.
constexpr std::uint32_t kReturnOnlyFileSystemFolders = 1;

}  // namespace

void Form1::Option3_Click() {
  RemoveSources(static_cast<int>(kRegularSourceCount));
  window_.combo.text = fBrowseForFolder(L"Выберите папку", kReturnOnlyFileSystemFolders);
}

// Opens the picker again, also when the option is already selected.
void Form1::Option3_DblClick() { Option3_Click(); }

std::wstring Form1::fBrowseForFolder(std::wstring_view sPrompt, std::uint32_t WhatBr) {
  return platform_.BrowseForFolder(sPrompt, WhatBr);
}

}  // namespace updstart
