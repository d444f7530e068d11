#pragma once

#include <cstdint>
#include <string>

namespace velmar {

// A flow or one of its slotCount changed: the IP channels listed for routing on that side change.
struct IpChannelsChanged {
    bool transmit = false;  // the output (transmit) side, else the input (receive) side
};

// The frame reported a Tx or Rx flow (slotCount 0: the flow is gone). A Tx flow carries its
// destination address and port, an Rx flow its port and latency.
struct FlowReported {
    bool transmit = false;
    std::int32_t flow = 0;
    std::int32_t slotCount = 0;
    std::string address;  // Tx only, as the frame wrote it
    std::int32_t port = 0;
    std::int32_t latency = 0;  // Rx only
};

// The frame refused to create or delete a flow; nothing changed.
struct FlowRefused {
    bool transmit = false;
    std::int32_t status = 0;
};

struct FlowSlotReported {
    bool transmit = false;
    std::int32_t flow = 0;
    std::int32_t slot = 0;  // 0..7
    std::int32_t channel = 0;
};

// A flow slot request was refused; `flow` is 0 when the refusal did not say which.
struct FlowSlotRefused {
    bool transmit = false;
    std::int32_t flow = 0;
    std::int32_t slot = 0;
    std::int32_t status = 0;
};

struct UnicastClockReported {
    bool enabled = false;
};

// The frame's own words on its unicast clocking.
struct UnicastClockStatusReported {
    std::string text;
};

// An automatic IP route to destination channel `channel`; an empty or non-numeric source
// channel means no route.
struct CrossIpReported {
    std::int32_t channel = 0;
    std::string destination;
    std::string sourceChannel;
    std::string source;
};

struct CrossIpRefused {
    std::int32_t channel = 0;  // 0 when the refusal did not say which
    std::int32_t status = 0;
};

// Automatic routing switched or read; a failed read reports it off.
struct AutoRouteReported {
    bool enabled = false;
};

// The network frame rate or latency as the frame reported them (`sperformip` reports both).
struct PerformanceReported {
    bool hasFrameRate = false;
    bool hasLatency = false;
    std::int32_t frameRate = 0;
    std::int32_t latency = 0;
};

struct PerformanceRefused {
    std::int32_t status = 0;
};

struct MaxLatencyReported {
    std::int32_t latency = 0;
};

}  // namespace velmar
