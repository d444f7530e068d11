#pragma once

#include <cstdint>
#include <string_view>

namespace velmar {

// Sends one datagram to every chosen interface's broadcast address (VELMAR_INTERFACES), each
// from a fresh socket bound to that interface's address. An interface whose socket cannot be
// bound is skipped; nothing is said about it.
class DiscoveryBroadcaster {
  public:
    explicit DiscoveryBroadcaster(std::uint16_t port) : port_(port) {}
    // Number of datagrams sent.
    int Send(std::string_view datagram) const;

  private:
    std::uint16_t port_;
};

}  // namespace velmar
