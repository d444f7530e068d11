// The registrations of the features whose parts still live in the shared folders; each moves to
// its feature's folder with the feature.
#include "device/FeatureGate.h"
#include "device/features/FeatureModule.h"
#include "device/features/SharedGates.h"
#include "device/features/channels/ChannelToolsUnit.h"
#include "device/features/clock/ClockUnit.h"
#include "device/features/firmware/FirmwareUnit.h"
#include "device/features/identity/IdentityUnit.h"
#include "device/features/interfaces/InterfacesUnit.h"
#include "device/features/routing/RoutingUnit.h"

namespace velmar {

GateReason LabelsGate(const FrameFacts& frame) {
    return GateRefusal(Feature::ChannelLabels, frame);
}

GateReason GainsGate(const FrameFacts& frame) {
    return GateRefusal(Feature::GainSettings, frame);
}

const CoreModule& IdentityCoreModule() {
    static const CoreModule module{"identity", &typeid(IdentityUnit), BuildUnit<IdentityUnit>};
    return module;
}

const CoreModule& ClockCoreModule() {
    static const CoreModule module{"clock", &typeid(ClockUnit), BuildUnit<ClockUnit>};
    return module;
}

const CoreModule& RoutingCoreModule() {
    static const CoreModule module{"routing", &typeid(RoutingUnit), BuildUnit<RoutingUnit>, ChannelToolGate};
    return module;
}

const CoreModule& FirmwareCoreModule() {
    static const CoreModule module{
        "firmware", &typeid(FirmwareUnit), [](FeatureContext& context) {
            return std::shared_ptr<void>(std::make_shared<FirmwareUnit>(
                context, context.outcomes, context.disconnect, [&context] { context.poll.StartSequence(); }));
        }};
    return module;
}

const CoreModule& ChannelToolsCoreModule() {
    static const CoreModule module{"channel tools", &typeid(ChannelToolsUnit), BuildUnit<ChannelToolsUnit>,
                                   ChannelToolGate, ResetUnit<ChannelToolsUnit>};
    return module;
}

const CoreModule& InterfacesCoreModule() {
    static const CoreModule module{"interfaces", &typeid(InterfacesUnit), BuildUnit<InterfacesUnit>};
    return module;
}

const CoreModule& SettingsCoreModule() {
    static const CoreModule module{"settings"};
    return module;
}

}  // namespace velmar
