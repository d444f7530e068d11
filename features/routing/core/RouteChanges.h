#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "device/DeviceState.h"
#include "features/routing/core/CrosspointFile.h"
#include "features/routing/core/CrosspointTable.h"

namespace velmar {

// One output's routing before and after.
struct RouteChange {
    std::int32_t output = 0;
    std::int32_t from = 0;
    std::int32_t to = 0;
    friend bool operator==(const RouteChange&, const RouteChange&) = default;
};

// Crosspoints to send, measured against what the frame routes now.
struct RouteComparison {
    std::vector<RouteChange> changes;   // outputs whose input would change
    std::vector<Crosspoint> unchanged;  // already routed so
};

RouteComparison CompareWithLive(std::span<const Crosspoint> crosspoints, const CrosspointTable& live,
                                std::int32_t channelCount);

// "MADI 20: AES 01 → AES 05" (from or to "nothing").
std::string ChangeText(const RouteChange& change);

// "Disconnect 3 crosspoints: MADI 20, 23, 24?" for the outputs of `crosspoints`.
std::string DisconnectQuestion(std::span<const Crosspoint> crosspoints);

// The input the frame feeds `output` from now; 0 for an output outside the frame.
std::int32_t LiveInput(const CrosspointTable& live, std::int32_t channelCount, std::int32_t output);

}  // namespace velmar
