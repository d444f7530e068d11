#include "device/features/FeatureModule.h"

namespace velmar {

// The settings editor works through the other features' units and the field bindings.
const CoreModule& SettingsCoreModule() {
    static const CoreModule module{"settings"};
    return module;
}

}  // namespace velmar
