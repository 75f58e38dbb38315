// Finds which generation of the product is installed, and where.
#pragma once

#include <optional>

#include "platform/Platform.h"
#include "shared/ProductRecord.h"

namespace updstart {

// Probes the keys of kProbeTable in order; the first whose ProductRoot is not
// empty is the product. nullopt when none is.
std::optional<ProductRecord> DetectProduct(Platform& platform);

}  // namespace updstart
