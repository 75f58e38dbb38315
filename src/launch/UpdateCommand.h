// The command lines that start the product's console updater.
#pragma once

#include <string>
#include <string_view>

namespace updstart {

// The updater program itself, named explicitly when it is started so that
// Windows never searches the blank-separated prefixes of an unquoted path.
std::wstring UpdaterProgram(std::wstring_view product_root);

// `product_root`\tvx.com UPDATE <source>, split by the updater into exactly
// its own path, the verb and the source (QuoteSourceIfNeeded).
std::wstring InteractiveUpdateCommand(std::wstring_view product_root, std::wstring_view source);

// The same command's arguments alone, "UPDATE <source>": what follows the
// updater's path when the system composes the command line itself.
std::wstring InteractiveUpdateArguments(std::wstring_view source);

// `product_root`\tvx.com update: the product's own configured source.
std::wstring UnattendedUpdateCommand(std::wstring_view product_root);

// A source with a blank, tab or quote, written so that the Windows rules for
// splitting arguments give back exactly one argument: the source, less one
// pair of quotes around it if it has them. Any other source exactly as it is.
std::wstring QuoteSourceIfNeeded(std::wstring_view source);

}  // namespace updstart
