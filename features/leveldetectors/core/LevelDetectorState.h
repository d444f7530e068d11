#pragma once

#include <cstdint>

#include "device/DeviceState.h"

namespace velmar {

// The two thresholds of a level detector: a level in dB held for a time in ms.
struct DetectorThresholds {
    FixedValue level1;
    std::int32_t time1 = 0;
    FixedValue level2;
    std::int32_t time2 = 0;
    friend bool operator==(const DetectorThresholds&, const DetectorThresholds&) = default;
};

// One level detector: its thresholds, enable and status.
struct LevelDetector {
    DetectorThresholds thresholds;
    std::int32_t state = 0;   // non-zero: enabled
    std::int32_t status = 0;  // as the frame reports it; non-zero: tripped
};

// Every channel's detectors as the frame last reported them; the level-detector unit holds them.
using LevelDetectorTables = DirectionTables<LevelDetector>;

}  // namespace velmar
