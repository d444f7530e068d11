#pragma once

#include <string_view>

#include "device/features/FeatureContext.h"
#include "features/networkaudio/core/IpFlowState.h"

namespace velmar {

// The Dante module: its network and name, unicast clocking, IP flows and their slotCount, and
// automatic routing between network devices by host name.
class NetworkAudioUnit {
  public:
    explicit NetworkAudioUnit(FeatureContext& context);

    void DanteNetwork(bool secondary);
    RequestProblem SetDanteNetwork(bool secondary);
    void DanteName();
    RequestProblem SetDanteName();

    // Automatic IP routing; names default to the frame's Dante name or "localhost".
    RequestProblem CrossIp(std::int32_t channel, std::string_view destination);
    RequestProblem SetCrossIp(std::int32_t channel, std::string_view destination, std::int32_t sourceChannel,
                              std::string_view source);
    void Performance();  // sperformip from danteFrame and danteLatency
    RequestProblem SetPerformance(std::int32_t frameRate, std::int32_t latency);
    void DanteQuery(CommandCode code);  // gmaxlatencyip, gframeip, glatencyip
    std::string_view DanteHostName() const;
    void AutoRoute();
    void SetAutoRoute(bool enabled);

    // Unicast clocking of the network interface.
    void UnicastClock();
    void UnicastClockStatus();
    void SetUnicastClock(bool enabled);

    // Manual IP flows: IDs 1..32, slotCount 0..7. A flow with 0 slotCount is deleted.
    void RxPortRange();
    void Flow(bool transmit, std::int32_t flow);
    void FlowSlot(bool transmit, std::int32_t flow, std::int32_t slot);
    RequestProblem SetTxFlow(std::int32_t flow, std::int32_t slotCount, std::string_view address,
                             std::int32_t port);
    void SetRxFlow(std::int32_t flow, std::int32_t slotCount, std::int32_t port, std::int32_t latency);
    void SetFlowSlot(bool transmit, std::int32_t flow, std::int32_t slot, std::int32_t channel);

    // What the frame last reported, zero after a connect.
    const IpFlowTables& Flows() const { return flows_; }
    void Reset() { flows_ = {}; }

  private:
    void StoreAndPublish(const CommandMessage& m);
    void OnTxFlow(const CommandMessage& m);
    void OnRxFlow(const CommandMessage& m);
    void OnFlowSlot(const CommandMessage& m);
    void OnCrossIp(const CommandMessage& m);

    FeatureContext& context_;
    IpFlowTables flows_{};
};

}  // namespace velmar
