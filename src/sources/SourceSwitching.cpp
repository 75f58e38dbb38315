// Form1's handlers that fill Combo1 with one of the two source lists.
#include "app/Form1.h"
#include "sources/SourceLists.h"

namespace updstart {

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

}  // namespace updstart
