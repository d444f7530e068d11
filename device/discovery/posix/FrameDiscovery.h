#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "device/discovery/DeviceEntry.h"

namespace velmar {

// A one-shot discovery for programs without a window (velmar-cli discover): binds the discovery
// port, broadcasts the query on the chosen interfaces (VELMAR_INTERFACES) and collects answers
// until `quiet` passes without one or `limit` is reached. Rows come out as the device list would
// show them, in arrival order.
struct FrameDiscoveryResult {
    std::vector<DeviceRow> rows;
    std::string error;  // empty on success
};

// Sends `datagram` to `port` at every chosen interface's broadcast address (VELMAR_INTERFACES),
// each from a socket bound to that interface; the number of datagrams sent.
int BroadcastDatagram(std::string_view datagram, std::uint16_t port);

FrameDiscoveryResult DiscoverFrames(std::chrono::milliseconds quiet = std::chrono::milliseconds(300),
                                    std::chrono::milliseconds limit = std::chrono::milliseconds(3000));

}  // namespace velmar
