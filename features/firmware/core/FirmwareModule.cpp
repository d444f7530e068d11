#include "device/features/FeatureModule.h"
#include "features/firmware/core/FirmwareUnit.h"

namespace velmar {

const CoreModule& FirmwareCoreModule() {
    static const CoreModule module{
        "firmware",
        &typeid(FirmwareUnit),
        [](FeatureContext& context) {
            return std::shared_ptr<void>(std::make_shared<FirmwareUnit>(
                context, context.outcomes, context.disconnect, [&context] { context.poll.StartSequence(); }));
        },
        nullptr,
        nullptr,
        nullptr,
        BusyOf<FirmwareUnit>,
        BusyOf<FirmwareUnit>};
    return module;
}

}  // namespace velmar
