#include "device/features/FeatureModule.h"

namespace velmar {

// The log follows the session's events and asks the frame nothing: no unit, every frame has it.
const CoreModule& EventLogCoreModule() {
    static const CoreModule module{"event log"};
    return module;
}

}  // namespace velmar
