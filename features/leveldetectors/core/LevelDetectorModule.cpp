#include "features/leveldetectors/core/LevelDetectorModule.h"

#include "device/FeatureGate.h"
#include "device/features/FeatureModule.h"
#include "features/leveldetectors/core/LevelDetectorUnit.h"

namespace velmar {

GateReason LevelDetectorGate(const FrameFacts& frame) {
    return GateRefusal(Feature::LevelDetectors, frame);
}

const CoreModule& LevelDetectorsCoreModule() {
    static const CoreModule module{"level detectors", &typeid(LevelDetectorUnit),
                                   BuildUnit<LevelDetectorUnit>, LevelDetectorGate,
                                   ResetUnit<LevelDetectorUnit>};
    return module;
}

}  // namespace velmar
