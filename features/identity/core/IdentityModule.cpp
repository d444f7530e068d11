#include "device/features/FeatureModule.h"
#include "features/identity/core/IdentityUnit.h"

namespace velmar {

const CoreModule& IdentityCoreModule() {
    static const CoreModule module{"identity", &typeid(IdentityUnit), BuildUnit<IdentityUnit>};
    return module;
}

}  // namespace velmar
