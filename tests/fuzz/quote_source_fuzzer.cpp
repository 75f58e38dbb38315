// QuoteSourceIfNeeded: a source with a blank, tab or quote must reach the
// updater as exactly one argument under the C runtime's splitting rules: the
// source, less one pair of quotes around it; any other source must pass
// unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzText.h"
#include "WindowsArguments.h"
#include "launch/UpdateCommand.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring source = updstart::fuzz::DecodeText({data, size});
  const std::wstring quoted = updstart::QuoteSourceIfNeeded(source);

  if (source.find_first_of(L" \t\"") == std::wstring::npos) {
    if (quoted != source) std::abort();
    return 0;
  }
  const bool wrapped = source.size() >= 2 && source.front() == L'"' && source.back() == L'"';
  const std::wstring meant = wrapped ? source.substr(1, source.size() - 2) : source;
  if (updstart::testing::SplitWindowsArguments(quoted) != std::vector<std::wstring>{meant})
    std::abort();

  // And in its place in the whole command, after the updater and its verb.
  const std::wstring root = L"C:\\Program Files\\Nordavin";
  const std::wstring command = updstart::InteractiveUpdateCommand(root, source);
  const std::vector<std::wstring> expected{updstart::UpdaterProgram(root), L"UPDATE", meant};
  if (updstart::testing::SplitWindowsCommandLine(command) != expected) std::abort();
  return 0;
}
