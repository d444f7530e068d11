#pragma once

#include <cstdint>

namespace velmar {

// Level detectors of `count` consecutive channels from `first` changed in DeviceState
// (direction 0: inputs, 1: outputs): thresholds, enable or status.
struct LevelDetectorsChanged {
    std::int32_t direction = 0;
    std::int32_t first = 0;
    std::int32_t count = 0;
};

}  // namespace velmar
