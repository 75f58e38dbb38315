// QuoteSourceIfNeeded: a source with a blank or tab, not already in quotes,
// must reach the updater as exactly one argument equal to itself under the
// C runtime's splitting rules; any other source must pass unchanged.
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

  const bool has_blank = source.find_first_of(L" \t") != std::wstring::npos;
  const bool wrapped = source.size() >= 2 && source.front() == L'"' && source.back() == L'"';
  if (!has_blank || wrapped) {
    if (quoted != source) std::abort();
    return 0;
  }
  if (updstart::testing::SplitWindowsArguments(quoted) != std::vector<std::wstring>{source})
    std::abort();

  // And in its place in the whole command, after the updater and its verb.
  const std::wstring command = updstart::InteractiveUpdateCommand(L"C:\\Nordavin", source);
  const std::vector<std::wstring> expected{L"C:\\Nordavin\\tvx.com", L"UPDATE", source};
  if (updstart::testing::SplitWindowsArguments(command) != expected) std::abort();
  return 0;
}
