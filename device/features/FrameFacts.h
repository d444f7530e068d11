#pragma once

#include <cstdint>
#include <string>

#include "device/ConnectionState.h"
#include "device/DeviceState.h"
#include "device/FrameCapabilities.h"

namespace velmar {

// What a feature's gate looks at: the frame's mode, class, boards and software, as the device
// menu and the command line both see them.
struct FrameFacts {
    DeviceMode mode = DeviceMode::Application;
    FrameCapabilities capabilities;
    std::int32_t version = 0;  // main software version number
    std::uint32_t features = 0;

    static FrameFacts Of(const ConnectionState& connection, const DeviceState& state);
};

// Why the frame lacks a feature, as the end of a sentence that begins with its address
// ("runs its recovery firmware: no restart from here; use application"); empty when the frame has
// it. Every gate reads the one table of device/FeatureGate.h.
using GateReason = std::string;
using FeatureGate = GateReason (*)(const FrameFacts& frame);

// The reason a tool window on the frame's channels is not offered: those exist only on a
// frame with a matrix, running its application firmware.
GateReason ChannelToolGate(const FrameFacts& frame);

}  // namespace velmar
