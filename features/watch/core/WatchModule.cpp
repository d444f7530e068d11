#include "device/features/FeatureModule.h"

namespace velmar {

// A watch holds sessions of its own beside the console's: no unit in the focused frame's session,
// and every frame can be watched.
const CoreModule& WatchCoreModule() {
    static const CoreModule module{"watch"};
    return module;
}

}  // namespace velmar
