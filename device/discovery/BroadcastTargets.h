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

// One datagram of a broadcast: sent from a socket bound to `source`, so that it leaves through
// that interface, to its network's broadcast address.
struct BroadcastTarget {
    std::uint32_t source = 0;     // host order
    std::uint32_t broadcast = 0;  // host order
    friend bool operator==(const BroadcastTarget&, const BroadcastTarget&) = default;
};

// Where a broadcast goes: one datagram per interface network, to that network's broadcast
// address. `allowed` is the comma-separated list of interface names from VELMAR_INTERFACES (empty:
// every interface). The limited broadcast 255.255.255.255 is never a target, so nothing leaves
// through an interface that was not chosen.
std::vector<BroadcastTarget> SelectBroadcastTargets(std::span<const InterfaceAddress> interfaces,
                                                    std::string_view allowed);

// The local IPv4 interface addresses as the operating system reports them.
std::vector<InterfaceAddress> LocalInterfaceAddresses();

// SelectBroadcastTargets over the local interfaces and VELMAR_INTERFACES.
std::vector<BroadcastTarget> LocalBroadcastTargets();

// The broadcast addresses of every local network, chosen or not: no frame answers from one.
std::vector<std::uint32_t> LocalBroadcastAddresses();

}  // namespace velmar
