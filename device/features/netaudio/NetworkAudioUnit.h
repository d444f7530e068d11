#pragma once

#include <string_view>

#include "device/features/FeatureContext.h"

namespace velmar {

// The Dante module: its network and name, unicast clocking, IP flows and their slots, and
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
    void Performance();                 // sperformip from danteFrame and danteLatency
    void DanteQuery(CommandCode code);  // gmaxlatencyip, gframeip, glatencyip
    std::string_view DanteHostName() const;

  private:
    void TxFlow(const CommandMessage& m);
    void RxFlow(const CommandMessage& m);
    void FlowSlot(const CommandMessage& m);

    FeatureContext& context_;
};

}  // namespace velmar
