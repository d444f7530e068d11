#include "device/discovery/BroadcastTargets.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstdlib>

namespace velmar {

namespace {

bool NameAllowed(std::string_view name, std::string_view allowed) {
    if (allowed.empty())
        return true;
    while (!allowed.empty()) {
        const std::size_t comma = allowed.find(',');
        std::string_view item = allowed.substr(0, comma);
        while (!item.empty() && item.front() == ' ')
            item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ')
            item.remove_suffix(1);
        if (item == name)
            return true;
        if (comma == std::string_view::npos)
            break;
        allowed.remove_prefix(comma + 1);
    }
    return false;
}

std::uint32_t HostOrder(const sockaddr* address) {
    if (address == nullptr || address->sa_family != AF_INET)
        return 0;
    // The family check above makes this the IPv4 form of the same storage.
    const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(address);  // NOLINT
    return ntohl(ipv4->sin_addr.s_addr);
}

}  // namespace

std::vector<BroadcastTarget> SelectBroadcastTargets(std::span<const InterfaceAddress> interfaces,
                                                    std::string_view allowed) {
    std::vector<BroadcastTarget> targets;
    for (const InterfaceAddress& entry : interfaces) {
        if (!entry.up || entry.pointToPoint || entry.address == 0)
            continue;
        if (!NameAllowed(entry.name, allowed))
            continue;
        // Computed from the mask rather than taken from the interface: loopback reports none,
        // and its network's broadcast (127.255.255.255) is where the simulated frames listen.
        const std::uint32_t broadcast = entry.address | ~entry.netmask;
        if (broadcast == 0xFFFFFFFFu || broadcast == entry.address)
            continue;
        const bool known = std::any_of(targets.begin(), targets.end(), [broadcast](const BroadcastTarget& t) {
            return t.broadcast == broadcast;
        });
        if (!known)
            targets.push_back({entry.address, broadcast});
    }
    return targets;
}

std::vector<InterfaceAddress> LocalInterfaceAddresses() {
    std::vector<InterfaceAddress> result;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return result;
    for (const ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET)
            continue;
        InterfaceAddress entry;
        entry.name = it->ifa_name != nullptr ? it->ifa_name : "";
        entry.address = HostOrder(it->ifa_addr);
        entry.netmask = HostOrder(it->ifa_netmask);
        entry.up = (it->ifa_flags & IFF_UP) != 0;
        entry.pointToPoint = (it->ifa_flags & IFF_POINTOPOINT) != 0;
        result.push_back(std::move(entry));
    }
    freeifaddrs(list);
    return result;
}

std::vector<BroadcastTarget> LocalBroadcastTargets() {
    const char* allowed = std::getenv("VELMAR_INTERFACES");
    const auto interfaces = LocalInterfaceAddresses();
    return SelectBroadcastTargets(interfaces,
                                  allowed != nullptr ? std::string_view{allowed} : std::string_view{});
}

std::vector<std::uint32_t> LocalBroadcastAddresses() {
    const auto interfaces = LocalInterfaceAddresses();
    std::vector<std::uint32_t> addresses;
    for (const BroadcastTarget& target : SelectBroadcastTargets(interfaces, {}))
        addresses.push_back(target.broadcast);
    return addresses;
}

}  // namespace velmar
