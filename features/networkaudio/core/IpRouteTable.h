#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "features/networkaudio/core/NetworkAudioEvents.h"

namespace velmar {

inline constexpr std::int32_t kIpRouteChannels = 64;
// A host name travels in a 32-byte field that keeps one byte for its end.
inline constexpr std::size_t kMaxHostNameLength = 31;

struct IpRoute {
    std::string destination;
    std::string sourceChannel;  // as the frame wrote it
    std::string source;
};

// The automatic IP routes the frame reported, by destination channel X = 1..64.
class IpRouteTable {
  public:
    // False for X outside 1..64. A report without a readable source channel clears X.
    bool Apply(const CrossIpReported& report);
    void Clear() { routes_ = {}; }
    // The route to X, if there is one.
    const IpRoute* Find(std::int32_t channel) const;

  private:
    std::array<std::optional<IpRoute>, kIpRouteChannels> routes_{};
};

// The source channel as the frame reads it: 1..64, else nothing (no route).
std::optional<std::int32_t> IpRouteSourceChannel(std::string_view text);
// "07" for 7, "12" for 12, "" for 0 (which removes the route).
std::string IpRouteChannelText(std::int32_t channel);

// The names "Connect" sends: an empty destination is "localhost", an empty source the frame
// itself (`host`).
struct IpRouteEnds {
    std::string destination;
    std::string source;
};
IpRouteEnds FillIpRouteEnds(std::string_view destination, std::string_view source, std::string_view host);
// Whether both ends name the same device: after the defaults, ignoring case, with "localhost"
// standing for the frame itself.
bool SameIpRouteHost(const IpRouteEnds& ends, std::string_view host);

}  // namespace velmar
