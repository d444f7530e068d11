#pragma once

#include <array>
#include <cstdint>

#include "device/DeviceState.h"

namespace velmar {

struct MainInputStatus {
    std::int32_t input = 0;
    TextField<4> status;
};

struct SdiRxStatus {
    std::int32_t card = 0, port = 0;
    std::array<std::int32_t, 3> values{};
};

struct AdSignal {
    std::int32_t card = 0, channel = 0, sigDet = 0, ovlDet = 0;
};

struct RawStatus {
    std::int32_t card = 0, index = 0;
    TextField<4> status;
};

// The signal status of the main-board and card inputs as the frame last reported it; the
// channel-tools unit holds it. Which inputs stand by for a redundant one is the frame image's
// (`LiveBlock::inactive`): the interfaces unit writes it too.
struct InputStatusTables {
    std::array<MainInputStatus, kMainInputs> mainInputStatus{};
    std::array<SdiRxStatus, 2 * kCardSlots> sdiRxStatus{};
    std::array<AdSignal, kCardSlots * kCardChannels> adSignal{};
    std::array<RawStatus, kCardSlots * kCardChannels> aesInputStatus{};
    std::array<RawStatus, 2 * kCardSlots> cardIfStatus{};
};

// The last gain report of one channel and direction.
struct GainEntry {
    FixedValue gain;
    std::int32_t phase = 0, mute = 0;  // the report's first and second flag words
    friend bool operator==(const GainEntry&, const GainEntry&) = default;
};

using GainTables = DirectionTables<GainEntry>;

}  // namespace velmar
