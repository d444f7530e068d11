#include "device/features/FeatureModule.h"

#include "device/DeviceModel.h"
#include "device/FeatureGate.h"

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
    return GateRefusal(Feature::Routing, frame);
}

}  // namespace velmar
