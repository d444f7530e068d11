#include "features/networkaudio/core/NetworkAudioModule.h"

#include "device/FeatureGate.h"
#include "device/features/FeatureModule.h"
#include "features/networkaudio/core/NetworkAudioUnit.h"

namespace velmar {

GateReason NetworkAudioGate(const FrameFacts& frame) {
    return GateRefusal(Feature::IpFlows, frame);
}

const CoreModule& NetworkAudioCoreModule() {
    static const CoreModule module{"network audio", &typeid(NetworkAudioUnit), BuildUnit<NetworkAudioUnit>,
                                   NetworkAudioGate, ResetUnit<NetworkAudioUnit>};
    return module;
}

}  // namespace velmar
