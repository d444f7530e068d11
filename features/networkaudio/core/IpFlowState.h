#pragma once

#include <array>
#include <cstdint>

#include "device/DeviceState.h"

namespace velmar {

struct TxFlow {
    std::int32_t flow = 0, exists = 0;
    TextField<16> name;
    std::int32_t last = 0;
};

struct RxFlow {
    std::int32_t flow = 0, exists = 0, third = 0, fourth = 0;
};

struct FlowSlot {
    std::int32_t flow = 0, slot = 0, channel = 0;
};

// The IP flows and their slots as the frame last reported them, with the receive port range and
// the largest latency it takes; the network-audio unit holds them.
struct IpFlowTables {
    std::array<TxFlow, kFlowCount> txFlows{};
    std::array<RxFlow, kFlowCount> rxFlows{};
    std::array<std::array<FlowSlot, kFlowSlots>, kFlowCount> txFlowSlots{};
    std::array<std::array<FlowSlot, kFlowSlots>, kFlowCount> rxFlowSlots{};
    std::int32_t rxPortFirst = 0, rxPortLast = 0;
    std::int32_t maxLatency = 0;
};

}  // namespace velmar
