#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "device/ConnectionState.h"
#include "device/DeviceState.h"
#include "device/features/FrameFacts.h"
#include "protocol/CommandTable.h"

namespace velmar {

// What a frame offers depends on how it runs, its class, its software and its boards. The device
// menu and velmar-cli ask the same gate, so a command is never offered where the menu is not.
enum class Feature : std::uint8_t {
    Routing,          // the crosspoint matrix
    HwConfiguration,  // the boards the frame reports
    InputStatus,
    ChannelLabels,
    GainSettings,
    LevelDetectors,
    PpmStreams,
    IpFlows,      // manual IP routing: flows and unicast clocking
    AutoRouting,  // automatic IP routing
    FactoryClear,
    Restart,
};

inline FrameFacts FactsOf(const DeviceState& state, const ConnectionState& connection) {
    return FrameFacts::Of(connection, state);
}

// Empty when the frame offers `feature`; otherwise why not, to follow the frame's address:
// "runs its recovery firmware: no restart from here; use application".
std::string GateRefusal(Feature feature, const FrameFacts& facts);
inline bool Offers(Feature feature, const FrameFacts& facts) {
    return GateRefusal(feature, facts).empty();
}

// A word only the Dante module answers: a frame without one refuses it, which tells nothing
// about the rest of the reading.
bool NeedsDanteModule(CommandCode code);

// Automatic routing's settings and routes are taken only while it is on.
std::string AutoRoutingOffRefusal(const DeviceState& state);

}  // namespace velmar
