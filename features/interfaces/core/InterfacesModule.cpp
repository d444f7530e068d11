#include "device/features/FeatureModule.h"
#include "features/interfaces/core/InterfacesUnit.h"

namespace velmar {

const CoreModule& InterfacesCoreModule() {
    static const CoreModule module{"interfaces", &typeid(InterfacesUnit), BuildUnit<InterfacesUnit>};
    return module;
}

}  // namespace velmar
