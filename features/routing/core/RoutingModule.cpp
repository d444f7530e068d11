#include "device/FeatureGate.h"
#include "device/features/FeatureModule.h"
#include "features/routing/core/RoutingUnit.h"

namespace velmar {

const CoreModule& RoutingCoreModule() {
    static const CoreModule module{"routing",          &typeid(RoutingUnit),   BuildUnit<RoutingUnit>,
                                   ChannelToolGate,    ResetUnit<RoutingUnit>, NewLinkOf<RoutingUnit>,
                                   BusyOf<RoutingUnit>};
    return module;
}

}  // namespace velmar
