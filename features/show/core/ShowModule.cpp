#include "device/features/FeatureModule.h"

namespace velmar {

// A show reads and writes through the other features' units and asks the frame nothing of its
// own: no unit, every frame has it.
const CoreModule& ShowCoreModule() {
    static const CoreModule module{"show files"};
    return module;
}

}  // namespace velmar
