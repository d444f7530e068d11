#include "device/FeatureGate.h"
#include "device/features/FeatureModule.h"
#include "features/channeltools/core/ChannelToolsGates.h"
#include "features/channeltools/core/ChannelToolsUnit.h"

namespace velmar {

GateReason LabelsGate(const FrameFacts& frame) {
    return GateRefusal(Feature::ChannelLabels, frame);
}

GateReason GainsGate(const FrameFacts& frame) {
    return GateRefusal(Feature::GainSettings, frame);
}

const CoreModule& ChannelToolsCoreModule() {
    static const CoreModule module{"channel tools", &typeid(ChannelToolsUnit), BuildUnit<ChannelToolsUnit>,
                                   ChannelToolGate, ResetUnit<ChannelToolsUnit>};
    return module;
}

}  // namespace velmar
