#pragma once

#include <optional>

#include "device/features/FeatureContext.h"

namespace velmar {

// Who the frame is and how its power and fans are: identity, network, boards, software
// versions, features, supplies and fans.
class IdentityUnit {
  public:
    explicit IdentityUnit(FeatureContext& context);

    void DeviceId();
    RequestProblem SetDeviceId();
    void NetworkSettings();
    // Asks the frame to take `wanted`; the frame image keeps what the frame holds until it reads
    // it back.
    RequestProblem SetNetworkSettings(const LanSettings& wanted);
    void HardwareConfig(std::optional<std::int32_t> position);  // nothing: positions 2..20
    void SoftwareVersion(std::optional<std::int32_t> position);
    void DeviceFeature(std::int32_t group);
    void PsuStatus(std::int32_t supply);
    void FanStatus(std::int32_t fan);

    // Works out the frame's capabilities again and tells when they changed.
    void RefreshCapabilities();

  private:
    void DevInfo(const CommandMessage& m);
    void DevId(const CommandMessage& m);
    void HwConf(const CommandMessage& m);
    void SwVer(const CommandMessage& m);
    void DevFeature(const CommandMessage& m);
    void PsuConf(const CommandMessage& m);
    void FanConf(const CommandMessage& m);
    void PsuStatusReply(const CommandMessage& m, bool isReply);
    void FanStatusReply(const CommandMessage& m);

    FeatureContext& context_;
};

}  // namespace velmar
