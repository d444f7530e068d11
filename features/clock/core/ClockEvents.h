#pragma once

#include <cstdint>

namespace velmar {

// The frame's sync source and state (gsyncstat); `stateChanged` when the state differs.
struct SyncStatusChanged {
    std::int32_t source = 0;
    std::int32_t state = 0;
    bool stateChanged = false;
};

// The actual sample rate (gactrate).
struct SampleRateChanged {
    std::int32_t actualRate = 0;
};

}  // namespace velmar
