#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmar {

// One IPv4 address of a local interface.
struct InterfaceAddress {
    std::string name;
    std::uint32_t address = 0;  // host order
    std::uint32_t netmask = 0;  // host order
    bool up = false;
    bool pointToPoint = false;
};

// Where a broadcast goes: one datagram per interface address, to that network's broadcast
// address. `allowed` is the comma-separated list of interface names from VELMAR_INTERFACES (empty:
// every interface). The limited broadcast 255.255.255.255 is never a target, so nothing leaves
// through an interface that was not chosen.
std::vector<std::uint32_t> SelectBroadcastTargets(std::span<const InterfaceAddress> interfaces,
                                                  std::string_view allowed);

// The local IPv4 interface addresses as the operating system reports them.
std::vector<InterfaceAddress> LocalInterfaceAddresses();

// SelectBroadcastTargets over the local interfaces and VELMAR_INTERFACES.
std::vector<std::uint32_t> LocalBroadcastTargets();

}  // namespace velmar
