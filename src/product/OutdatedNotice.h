// Whether the installed product is so old that the user should replace it.
#pragma once

#include <string_view>

namespace updstart {

enum class OutdatedNotice {
  None,    // the name marks no old generation or year
  Exempt,  // it does, but the build is one of those kept up to date
  Shown,
};

OutdatedNotice DecideOutdatedNotice(std::wstring_view product_name, float build_number);

}  // namespace updstart
