#pragma once

#include <cstdint>
#include <string_view>

#include "device/FrameCapabilities.h"

namespace velmar {

// The frame's type and serial number (gdevinfo). Views are valid during delivery only.
struct DeviceInfoChanged {
    std::string_view type;
    std::string_view serial;
};

// The frame's ID and name (gdevid/sdevid).
struct DeviceIdChanged {
    std::int32_t deviceId = 0;
    std::string_view name;
};

// A board position's entry arrived (ghwconf); after position 20 the card kinds have been worked
// out again. A window that edits cards checks that they are still the ones it shows.
struct BoardChanged {
    std::int32_t position = 0;
};

// A power supply's or fan's status arrived; `changed` when it differs from the last one.
struct PowerStatusChanged {
    bool changed = false;
    std::int32_t supply = 0;  // 1 or 2
};
struct FanStatusChanged {
    bool changed = false;
    std::int32_t fan = 0;  // 1..3
};

}  // namespace velmar
