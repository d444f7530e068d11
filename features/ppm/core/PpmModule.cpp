#include "features/ppm/core/PpmModule.h"

#include "device/FeatureGate.h"
#include "device/features/FeatureModule.h"
#include "features/ppm/core/PpmUnit.h"

namespace velmar {

GateReason PpmGate(const FrameFacts& frame) {
    return GateRefusal(Feature::PpmStreams, frame);
}

const CoreModule& PpmCoreModule() {
    static const CoreModule module{"PPM streams", &typeid(PpmUnit), BuildUnit<PpmUnit>, PpmGate};
    return module;
}

}  // namespace velmar
