#include "device/features/FeatureModule.h"
#include "features/clock/core/ClockUnit.h"

namespace velmar {

const CoreModule& ClockCoreModule() {
    static const CoreModule module{"clock", &typeid(ClockUnit), BuildUnit<ClockUnit>};
    return module;
}

}  // namespace velmar
