#include "device/features/FeatureModule.h"

#include "device/DeviceModel.h"

namespace velmar {

const std::array<const CoreModule*, kFeatureCount>& CoreModules() {
    static const std::array<const CoreModule*, kFeatureCount> modules{
#define VELMAR_FEATURE(name) &name##CoreModule(),
#include "features/FeatureList.inc"
#undef VELMAR_FEATURE
    };
    return modules;
}

FrameFacts FrameFacts::Of(const ConnectionState& connection, const DeviceState& state) {
    return {connection.deviceMode, connection.capabilities, MainSoftwareVersion(state),
            state.config.features};
}

GateReason ChannelToolGate(const FrameFacts& frame) {
    if (frame.mode == DeviceMode::Recovery)
        return "runs its recovery firmware";
    if (frame.mode == DeviceMode::Mode2)
        return "runs in mode 2";
    if (!frame.capabilities.matrix)
        return "has no crosspoint matrix";
    return {};
}

GateReason DanteToolGate(const FrameFacts& frame) {
    if (const GateReason reason = ChannelToolGate(frame); !reason.empty())
        return reason;
    if (!frame.capabilities.dante)
        return "has no Dante module";
    return {};
}

}  // namespace velmar
