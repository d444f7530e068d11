#include "features/leveldetectors/core/LevelDetectorModule.h"

#include "device/features/FeatureModule.h"
#include "features/leveldetectors/core/LevelDetectorUnit.h"

namespace velmar {

namespace {

constexpr std::uint32_t kLevelMeterFeature = 1u << 0;

}  // namespace

GateReason LevelDetectorGate(const FrameFacts& frame) {
    if (const GateReason reason = DanteToolGate(frame); !reason.empty())
        return reason;
    if ((frame.features & kLevelMeterFeature) == 0)
        return "reports no level detectors";
    return {};
}

const CoreModule& LevelDetectorsCoreModule() {
    static const CoreModule module{"level detectors", &typeid(LevelDetectorUnit),
                                   BuildUnit<LevelDetectorUnit>, LevelDetectorGate};
    return module;
}

}  // namespace velmar
