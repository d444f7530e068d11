#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/ConnectionState.h"
#include "device/DeviceState.h"
#include "features/networkaudio/core/NetworkAudioEvents.h"

namespace velmar {

inline constexpr std::int32_t kFlowFirstPort = 14528;
inline constexpr std::int32_t kFlowLastPort = 14591;
inline constexpr std::int32_t kIpChannels = 64;
inline constexpr std::int32_t kMaxFlowId = static_cast<std::int32_t>(kFlowCount);
inline constexpr std::int32_t kMaxFlowSlots = static_cast<std::int32_t>(kFlowSlots);

struct FlowEntry {
    std::int32_t slotCount = 0;  // as reported; 0 means no flow
    std::string address;         // Tx
    std::int32_t port = 0;
    std::int32_t latency = 0;  // Rx
    std::array<std::int32_t, kFlowSlots> channels{};

    // The channels of the flow's slots in slot order, joined with ", "; a flow reported with
    // more than 8 slots shows its 8.
    std::string ChannelsText() const;
};

// The Tx and Rx flows the frame reported, by flow ID 1..32, with their slot channels.
class FlowTables {
  public:
    // False for a flow ID outside 1..32.
    bool Apply(const FlowReported& report);
    // A slot of a flow that is not (yet) listed is kept for when it is.
    bool ApplySlot(const FlowSlotReported& report);
    void Clear();

    const FlowEntry* Find(bool transmit, std::int32_t flow) const;
    // The IDs of the flows there are, in ID order.
    std::vector<std::int32_t> Ids(bool transmit) const;

  private:
    std::array<FlowEntry, kFlowCount>& Side(bool transmit) { return transmit ? tx_ : rx_; }
    const std::array<FlowEntry, kFlowCount>& Side(bool transmit) const { return transmit ? tx_ : rx_; }

    std::array<FlowEntry, kFlowCount> tx_{};
    std::array<FlowEntry, kFlowCount> rx_{};
};

// The IP channels a new flow's slotCount are tied to: flows laid side by side over the 64 channels,
// wrapping at 64 so that no slot names a channel the frame does not have. Only even slot
// counts get channels; nothing for others.
std::vector<std::int32_t> FlowSlotChannels(std::int32_t flow, std::int32_t slotCount);

// Why a flow cannot be created. `tellOperator` is false where the window refuses silently
// (addresses it must not send to, counts outside their range); the CLI says every reason.
struct FlowProblem {
    bool tellOperator = false;
    std::string text;
};

struct TxFlowRequest {
    std::int32_t flow = 0;
    std::int32_t slotCount = 0;
    std::string address;
    std::int32_t port = 0;
};

struct RxFlowRequest {
    std::int32_t flow = 0;
    std::int32_t slotCount = 0;
    std::int32_t port = 0;
    std::int32_t latency = 0;
};

// Why a Tx flow may not be sent to `address`, or nothing: no address, 0.0.0.0, the broadcast
// address and, from `ownAddresses`, the rack itself.
std::optional<std::string> TxAddressProblem(std::string_view address,
                                            const std::vector<std::string>& ownAddresses);

// `ownAddresses`: the frame's own address, its Dante interface address and every frame in the
// device list; a Tx flow to any of them would loop back into the rack.
std::optional<FlowProblem> CheckTxFlow(const FlowTables& tables, const TxFlowRequest& request,
                                       const std::vector<std::string>& ownAddresses);
std::optional<FlowProblem> CheckRxFlow(const FlowTables& tables, const RxFlowRequest& request,
                                       std::int32_t maxLatency);

// The addresses a Tx flow must not go to that the frame image knows: the connected address, the
// frame's own network address and its Dante interface address.
std::vector<std::string> FrameAddresses(const DeviceState& state, const ConnectionState& connection);

// "Rx latency is above maximum which is 3000 us"
std::string LatencyAboveMaximum(std::int32_t maxLatency);

// The next free value a field suggests after a flow report: one more when the report took the
// field's value, never past `last`.
std::int32_t NextFree(std::int32_t reported, std::int32_t field, std::int32_t last);

}  // namespace velmar
