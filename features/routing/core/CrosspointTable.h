#pragma once

#include <array>
#include <cstdint>

#include "device/DeviceState.h"

namespace velmar {

// Which input feeds each output, as the frame last reported it: output c at [c - 1], 0 for none.
// The routing unit keeps it; the routing rules read it.
using CrosspointTable = std::array<std::int32_t, kChannelTableSize>;

}  // namespace velmar
