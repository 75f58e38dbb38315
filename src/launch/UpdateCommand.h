// The command lines that start the product's console updater.
#pragma once

#include <string>
#include <string_view>

namespace updstart {

// The updater program itself, named explicitly when it is started so that
// Windows never searches the blank-separated prefixes of an unquoted path.
std::wstring UpdaterProgram(std::wstring_view product_root);

// `product_root`\tvx.com UPDATE <source>; the source quoted only when it needs
// to be, so that a folder with blanks arrives as one argument.
std::wstring InteractiveUpdateCommand(std::wstring_view product_root, std::wstring_view source);

// `product_root`\tvx.com update: the product's own configured source.
std::wstring UnattendedUpdateCommand(std::wstring_view product_root);

// A source with a blank or tab that is not already wrapped in double quotes,
// quoted by the rules Windows programs use to split their arguments; any other
// source exactly as it is.
std::wstring QuoteSourceIfNeeded(std::wstring_view source);

}  // namespace updstart
