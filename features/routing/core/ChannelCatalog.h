#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/DeviceState.h"
#include "device/FrameCapabilities.h"
#include "features/networkaudio/core/IpFlowState.h"

namespace velmar {

enum class RouteSide { Input, Output };

// Type ids of the selectors: cards 0..7, then the fixed interfaces.
namespace RouteType {
inline constexpr std::int32_t kAes = 8;
inline constexpr std::int32_t kPhd = 9;
inline constexpr std::int32_t kMadi = 10;
inline constexpr std::int32_t kSfp1 = 11;
inline constexpr std::int32_t kSfp2 = 12;
inline constexpr std::int32_t kIp = 13;
}  // namespace RouteType

struct TypeEntry {
    std::int32_t type = 0;
    std::string text;
    friend bool operator==(const TypeEntry&, const TypeEntry&) = default;
};

struct ChannelEntry {
    std::int32_t channel = 0;  // in stereo, the left (odd) channel of the pair
    std::string text;
    friend bool operator==(const ChannelEntry&, const ChannelEntry&) = default;
};

// What a frame offers for routing by interface type: the entries of the type selectors and of
// the channel lists, derived from the frame's boards, modules and modes.
class ChannelCatalog {
  public:
    // With `flows`, an IP channel carries the first flow that holds it ("IP 03  -  Flow 5-3").
    ChannelCatalog(const DeviceState& state, const FrameCapabilities& capabilities, const IpFlowTables* flows)
        : state_(state), capabilities_(capabilities), flows_(flows) {}

    std::vector<TypeEntry> Types(RouteSide side) const;
    std::vector<ChannelEntry> Channels(RouteSide side, std::int32_t type, bool stereo) const;
    // Every mono channel the lists offer on `side`, ascending: all that may be routed there.
    std::vector<std::int32_t> RoutableChannels(RouteSide side) const;

  private:
    struct Run {
        std::int32_t firstChannel;
        std::int32_t count;  // mono channels
    };
    std::vector<Run> Runs(RouteSide side, std::int32_t type) const;
    std::vector<Run> CardRuns(RouteSide side, std::int32_t card) const;
    std::string FlowMark(RouteSide side, std::int32_t ipChannel) const;
    const CardRecord& Card(std::int32_t card) const {
        return state_.config.cards[static_cast<std::size_t>(card - 1)];
    }

    const DeviceState& state_;
    FrameCapabilities capabilities_;
    const IpFlowTables* flows_;  // null: no flow marks
};

}  // namespace velmar
